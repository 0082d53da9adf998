#include "panel/ContentView.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "core/AppEnvironment.h"
#include "history/ClipboardHistory.h"
#include "panel/OvelinView.h"
#include "panel/ThemePalette.h"

ContentView::ContentView(ClipboardHistory& history, AppEnvironment& environment, ItemActions actions,
                         QWidget* parent)
    : QWidget(parent), m_history(history), m_environment(environment)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setLocale(m_environment.locale());
    applyTheme();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The history list, made the focus proxy so the panel's focus lands in its search field.
    auto* list = new OvelinView(m_history, this);
    list->setItemActions(std::move(actions));
    m_listView = list;
    layout->addWidget(m_listView);
    setFocusProxy(m_listView);

    connect(&m_environment, &AppEnvironment::selectedLanguageChanged, this,
            [this] { setLocale(m_environment.locale()); });
}

ContentView::~ContentView() = default;

void ContentView::changeEvent(QEvent* event)
{
    // The system palette changed: follow it unless a fixed theme was chosen.
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyTheme();
    QWidget::changeEvent(event);
}

void ContentView::applyTheme()
{
    // The theme is read once, at start: the settings object has no way to change it later.
    const AppTheme theme = m_environment.selectedTheme();
    if (theme != AppTheme::System)
        setPalette(ThemePalette::forTheme(theme, QApplication::palette()));
}
