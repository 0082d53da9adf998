#pragma once

#include <QPointer>
#include <QWidget>

#include "preferences/PreferencesSection.h"
#include "preferences/PreferencesServices.h"

class ClipboardHistory;
class QListWidget;
class QScrollArea;

/// The preferences window's content: the sidebar of sections on the left and, on the right,
/// the selected section's page, built afresh each time its section is selected. Follows the
/// "selectPreferencesSection" notification and the interface language.
class PreferencesView : public QWidget
{
    Q_OBJECT
public:
    PreferencesView(ClipboardHistory& history, PreferencesServices services, QWidget* parent = nullptr);

    PreferencesSection selectedSection() const { return m_selectedSection; }
    void setSelectedSection(PreferencesSection section);

    QListWidget* sidebar() const { return m_sidebar; }
    /// The page on show.
    QWidget* currentPage() const { return m_page; }

Q_SIGNALS:
    void selectedSectionChanged(PreferencesSection section);

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* createPage(PreferencesSection section);
    void showPage();
    void retranslate();

    ClipboardHistory& m_history;
    PreferencesServices m_services;
    PreferencesSection m_selectedSection = PreferencesSection::General;
    QListWidget* m_sidebar;
    QScrollArea* m_pageArea;
    QPointer<QWidget> m_page;
    bool m_rebuildQueued = false;
};
