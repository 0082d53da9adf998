#include "panel/FloatingWindowController.h"

#include <QVBoxLayout>

#include "common/Console.h"
#include "panel/CustomPanel.h"
#include "panel/PanelBackground.h"
#include "panel/PanelGeometry.h"
#include "panel/ResizeHandleView.h"
#include "panel/WindowManager.h"
#include "platform/WindowSystem.h"
#include "telemetry/Telemetry.h"

namespace {

constexpr int initialX = 300;
constexpr int initialY = 300;
// How long the window manager's resizing must pause before the height counts as chosen.
constexpr int liveResizeSettleMs = 300;

int radiusFor(AppearanceStyle style)
{
    return style == AppearanceStyle::Modern ? FloatingWindowController::modernCornerRadius
                                            : FloatingWindowController::classicCornerRadius;
}

void pinToEdges(QWidget* child, QWidget* parent)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(child);
}

} // namespace

FloatingWindowController::FloatingWindowController(QWidget* rootView, WindowSystem* windowSystem,
                                                   QObject* parent)
    : QObject(parent)
{
    AppEnvironment& environment = AppEnvironment::shared();
    const AppearanceStyle style = environment.appearanceStyle();

    m_panel = std::make_unique<CustomPanel>();
    m_panel->setGeometry(initialX, initialY, PanelGeometry::width,
                         WindowManager::sanitizedHeight(PanelGeometry::height(environment)));
    ovelin::printLine(QStringLiteral("🎯 Nível de janela após setar .floating: ") +
                      QString::number(m_panel->level()));
    m_panel->setMovableByWindowBackground(true);
    m_panel->setMinimumSize(PanelGeometry::width, PanelGeometry::minimumHeight);
    m_panel->setMaximumSize(PanelGeometry::width, QWIDGETSIZE_MAX);

    rootView->setAutoFillBackground(false);
    m_useShapeMask = !windowSystem || !windowSystem->hasCompositor();
    m_background = new PanelBackground;
    m_background->setPaletteSource(rootView);
    m_background->setTranslucent(!m_useShapeMask);
    m_background->setCornerRadius(radiusFor(style));
    pinToEdges(rootView, m_background);

    m_resizeHandle = new ResizeHandleView;
    m_resizeHandle->setVisible(style == AppearanceStyle::Modern);
    auto* container = new PanelContainer(m_background, m_resizeHandle, ResizeHandleView::stripHeight);
    pinToEdges(container, m_panel.get());
    m_panel->setFocusProxy(rootView);

    connect(&environment, &AppEnvironment::appearanceStyleChanged, this,
            &FloatingWindowController::followAppearanceStyle);
    connect(&environment, &AppEnvironment::windowHeightReset, this, [] {
        WindowManager::shared().resizeWindow(PanelGeometry::height(AppEnvironment::shared()), false);
    });

    WindowManager::shared().registerWindow(m_panel.get());
    followAppearanceStyle();

    showWindow();
    Telemetry::shared().sendThrottled(AppSignal::WindowOpened,
                                      {{QStringLiteral("source"), QStringLiteral("launch")}}, 30);
    rootView->setFocus(Qt::ActiveWindowFocusReason);

    connect(m_panel.get(), &CustomPanel::resignedKey, m_panel.get(), &QWidget::hide);

    // Resizing through the window manager (its own edges or key bindings) counts once it pauses.
    m_liveResizeTimer.setSingleShot(true);
    m_liveResizeTimer.setInterval(liveResizeSettleMs);
    connect(&m_liveResizeTimer, &QTimer::timeout, this, &FloatingWindowController::liveResizeEnded);
    connect(m_panel.get(), &CustomPanel::resized, &m_liveResizeTimer, qOverload<>(&QTimer::start));
}

FloatingWindowController::~FloatingWindowController() = default;

CustomPanel* FloatingWindowController::window() const
{
    return m_panel.get();
}

ResizeHandleView* FloatingWindowController::resizeHandle() const
{
    return m_resizeHandle;
}

int FloatingWindowController::cornerRadius() const
{
    return m_background ? m_background->cornerRadius() : 0;
}

void FloatingWindowController::followAppearanceStyle()
{
    const AppearanceStyle style = AppEnvironment::shared().appearanceStyle();
    if (m_background)
        m_background->setCornerRadius(radiusFor(style));
    applyAppearanceStyle(style);
}

void FloatingWindowController::applyAppearanceStyle(AppearanceStyle style)
{
    if (!m_panel)
        return;
    m_panel->setCornerRadius(radiusFor(style), m_useShapeMask);
    if (style == AppearanceStyle::Modern) {
        m_panel->setMinimumSize(PanelGeometry::width, PanelGeometry::minimumHeight);
        m_panel->setMaximumSize(PanelGeometry::width, QWIDGETSIZE_MAX);
        WindowManager::shared().resizeWindow(PanelGeometry::height(AppEnvironment::shared()), false);
        if (m_resizeHandle)
            m_resizeHandle->show();
    } else {
        m_panel->setFixedSize(PanelGeometry::width, PanelGeometry::defaultHeight);
        WindowManager::shared().resizeWindow(PanelGeometry::defaultHeight, false);
        if (m_resizeHandle)
            m_resizeHandle->hide();
    }
}

void FloatingWindowController::showWindow()
{
    if (WindowManager::shared().window() == m_panel.get()) {
        WindowManager::shared().showWindowAndActivate();
        return;
    }
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void FloatingWindowController::liveResizeEnded()
{
    AppEnvironment& environment = AppEnvironment::shared();
    if (environment.appearanceStyle() != AppearanceStyle::Modern || !m_panel)
        return;
    if (m_panel->height() != WindowManager::sanitizedHeight(PanelGeometry::height(environment)))
        WindowManager::shared().resizeWindow(m_panel->height(), true);
}
