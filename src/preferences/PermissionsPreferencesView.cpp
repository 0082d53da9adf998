#include "preferences/PermissionsPreferencesView.h"

#include <algorithm>

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/CapabilityService.h"
#include "platform/GlobalShortcutService.h"
#include "preferences/PermissionsManager.h"
#include "preferences/PreferencesWidgets.h"

using namespace PreferencesStyle;

PermissionsPreferencesView::PermissionsPreferencesView(const PreferencesServices& services, QWidget* parent)
    : PreferencesPage(services, parent)
{
    column()->addWidget(titleLabel(qtTrId("preferences_permissions_title")));

    const CapabilityService* capabilities = services.capabilities;
    m_capabilities = capabilities;
    const UrlOpener open = services.openUrl;
    const QList<SessionCapability> session =
        capabilities ? capabilities->sessionCapabilities() : QList<SessionCapability>{};
    if (session.isEmpty()) {
        m_accessibility = addBlock(capabilities && capabilities->canSynthesizeInput(),
                                   qtTrId("permissions_accessibility_title"),
                                   qtTrId("permissions_accessibility_description"),
                                   [open] { PermissionsManager::openAccessibilitySettings(open); });
    } else {
        addSessionRows(session);
    }
    if (capabilities && !capabilities->offersGlobalPointer()) {
        // Nothing the user can grant: the session never reports the pointer's motion.
        m_inputMonitoring = addBlock(false, qtTrId("permissions_input_monitoring_title"),
                                     qtTrId("permissions_pointer_unavailable_description"), {});
    } else {
        m_inputMonitoring = addBlock(capabilities && capabilities->canMonitorInput(),
                                     qtTrId("permissions_input_monitoring_title"),
                                     qtTrId("permissions_input_monitoring_description"),
                                     [open] { PermissionsManager::openInputMonitoringSettings(open); });
    }

    column()->addSpacing(6);
    column()->addWidget(captionLabel(session.isEmpty() ? qtTrId("permissions_description_footer")
                                                       : qtTrId("permissions_session_footer")));
    column()->addStretch(1);
}

PermissionsPreferencesView::Block PermissionsPreferencesView::addBlock(bool granted, const QString& title,
                                                                       const QString& description,
                                                                       std::function<void()> open)
{
    Block block;
    block.granted = granted;

    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    block.symbol = new QLabel;
    const QString symbol =
        granted ? QStringLiteral("checkmark.shield.fill") : QStringLiteral("exclamationmark.triangle.fill");
    const QColor tint = granted ? QColor(0x34, 0xC7, 0x59) : QColor(0xFF, 0x95, 0x00);
    block.symbol->setPixmap(symbolPixmap(symbol, 18, tint, devicePixelRatioF()));
    block.symbol->setObjectName(symbol);
    block.symbol->setAccessibleName(symbol);
    row->addWidget(block.symbol);
    QLabel* titleText = label(title);
    titleText->setFont(medium(titleText->font()));
    row->addWidget(titleText);
    row->addStretch(1);
    if (!granted && open) {
        block.requestButton = new QPushButton(qtTrId("permissions_request_button"));
        block.requestButton->setObjectName(QStringLiteral("requestButton"));
        block.requestButton->setAutoDefault(false);
        connect(block.requestButton, &QPushButton::clicked, this, std::move(open));
        row->addWidget(block.requestButton);
    }
    column()->addSpacing(4);
    column()->addLayout(row);
    column()->addWidget(captionLabel(description));
    return block;
}

void PermissionsPreferencesView::addSessionRows(const QList<SessionCapability>& capabilities)
{
    struct Texts
    {
        SessionCapability::Kind kind;
        const char* title;
        const char* found;
        const char* missing;
    };
    using Kind = SessionCapability::Kind;
    static const Texts rows[] = {
        {Kind::ShellExtension, QT_TRID_NOOP("permissions_extension_title"),
         QT_TRID_NOOP("permissions_extension_found"), QT_TRID_NOOP("permissions_extension_missing")},
        {Kind::ClipboardAccess, QT_TRID_NOOP("permissions_clipboard_title"),
         QT_TRID_NOOP("permissions_clipboard_found"), QT_TRID_NOOP("permissions_clipboard_missing")},
        {Kind::Paste, QT_TRID_NOOP("permissions_paste_title"), QT_TRID_NOOP("permissions_paste_found"),
         QT_TRID_NOOP("permissions_paste_missing")},
        {Kind::Shortcut, QT_TRID_NOOP("permissions_shortcut_title"),
         QT_TRID_NOOP("permissions_shortcut_found"), QT_TRID_NOOP("permissions_shortcut_missing")},
        {Kind::Placement, QT_TRID_NOOP("permissions_placement_title"),
         QT_TRID_NOOP("permissions_placement_found"), QT_TRID_NOOP("permissions_placement_missing")},
    };
    for (const Texts& texts : rows) {
        const auto it = std::find_if(capabilities.cbegin(), capabilities.cend(),
                                     [&texts](const SessionCapability& c) { return c.kind == texts.kind; });
        if (it == capabilities.cend())
            continue;
        QString description = qtTrId(it->found ? texts.found : texts.missing);
        // What to bind is this very executable, wherever it was installed.
        if (texts.kind == Kind::Shortcut && !it->found)
            description = description.arg(GlobalShortcutService::toggleCommand());
        if (texts.kind == Kind::Shortcut && it->taken)
            description = qtTrId("permissions_shortcut_taken");
        if (texts.kind == Kind::ShellExtension && !it->found)
            description = it->mismatched
                              ? qtTrId("permissions_extension_mismatch")
                              : description.arg(QStringLiteral("gnome-extensions enable ovelin@ovelin.app"));
        std::function<void()> fix;
        if (texts.kind == Kind::Paste && !it->found && m_capabilities && m_capabilities->missesDesktopEntry()) {
            description = qtTrId("permissions_paste_desktop_entry_missing");
            fix = [this] { installDesktopEntry(); };
        }
        const bool offersEntry = bool(fix);
        m_sessionRows.append(addBlock(it->found, qtTrId(texts.title), description, std::move(fix)));
        if (offersEntry) {
            m_desktopEntryButton = m_sessionRows.constLast().requestButton;
            m_desktopEntryButton->setText(qtTrId("permissions_desktop_entry_button"));
        }
    }
}

void PermissionsPreferencesView::installDesktopEntry()
{
    QString error;
    const bool written = m_capabilities->installDesktopEntry(&error);
    m_desktopEntryButton->setEnabled(!written);
    m_desktopEntryButton->setText(written ? qtTrId("permissions_desktop_entry_written")
                                          : qtTrId("permissions_desktop_entry_failed").arg(error));
}
