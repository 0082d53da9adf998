#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

/// Ovelin's own window for the help pages compiled into the application ("qrc:/help/...").
/// One window, reused; the page follows the interface language, links to the web open with the
/// system.
class HelpViewer : public QDialog
{
    Q_OBJECT
public:
    /// Shows the help page at `url` (its fragment names the section), creating the window once.
    static HelpViewer* showPage(const QUrl& url);
    /// The window if it exists.
    static HelpViewer* instance();

    /// The bundled page for `url` in the interface language: "permissions.html" becomes
    /// "permissions.pt.html" for Portuguese when that page exists.
    static QUrl localizedPage(const QUrl& url);

    QTextBrowser* browser() const { return m_browser; }
    QUrl currentPage() const;

private:
    HelpViewer();
    void open(const QUrl& url);

    QTextBrowser* m_browser;
};
