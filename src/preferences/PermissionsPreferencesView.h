#pragma once

#include "platform/CapabilityService.h"
#include "preferences/PreferencesPage.h"

class QLabel;
class QPushButton;

/// Whether Ovelin can send the paste keystroke (XTEST) and watch global input (XInput 2 outside
/// Wayland); where the session reports more (Wayland), its clipboard access, paste, shortcut and
/// placement, each with what to do when missing. Read when the page is built; a missing X11
/// capability offers its help page.
class PermissionsPreferencesView : public PreferencesPage
{
    Q_OBJECT
public:
    PermissionsPreferencesView(const PreferencesServices& services, QWidget* parent = nullptr);

    struct Block
    {
        bool granted = false;
        QLabel* symbol = nullptr;
        QPushButton* requestButton = nullptr; // none when granted
    };
    const Block& accessibility() const { return m_accessibility; }
    const Block& inputMonitoring() const { return m_inputMonitoring; }
    /// The session's own rows: clipboard access, paste, shortcut, placement (none on X11).
    const QList<Block>& sessionRows() const { return m_sessionRows; }

private:
    /// Without `open` a missing capability gets no button: its description says what to do.
    Block addBlock(bool granted, const QString& title, const QString& description,
                   std::function<void()> open);
    void addSessionRows(const QList<SessionCapability>& capabilities);
    void installDesktopEntry();

    Block m_accessibility;
    Block m_inputMonitoring;
    QList<Block> m_sessionRows;
    const CapabilityService* m_capabilities = nullptr;
    QPushButton* m_desktopEntryButton = nullptr;
};
