#include "preferences/HelpViewer.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/AppEnvironment.h"

namespace {
QPointer<HelpViewer>& sharedViewer()
{
    static QPointer<HelpViewer> viewer;
    return viewer;
}
} // namespace

HelpViewer::HelpViewer() : m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Ovelin"));
    resize(560, 600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        if (link.scheme() == QLatin1String("qrc") || link.isRelative())
            open(m_browser->source().resolved(link));
        else if (link.scheme() == QLatin1String("https") || link.scheme() == QLatin1String("http"))
            QDesktopServices::openUrl(link);
    });
}

HelpViewer* HelpViewer::instance()
{
    return sharedViewer();
}

HelpViewer* HelpViewer::showPage(const QUrl& url)
{
    QPointer<HelpViewer>& viewer = sharedViewer();
    if (!viewer) {
        viewer = new HelpViewer;
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    viewer->open(url);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

QUrl HelpViewer::localizedPage(const QUrl& url)
{
    if (AppEnvironment::shared().locale().language() != QLocale::Portuguese)
        return url;
    const QFileInfo page(url.path());
    QUrl localized = url;
    localized.setPath(page.path() + QStringLiteral("/") + page.completeBaseName() + QStringLiteral(".pt.") +
                      page.suffix());
    return QFile::exists(QStringLiteral(":") + localized.path()) ? localized : url;
}

QUrl HelpViewer::currentPage() const
{
    return m_browser->source();
}

void HelpViewer::open(const QUrl& url)
{
    const QUrl page = localizedPage(url);
    m_browser->setSource(page.adjusted(QUrl::RemoveFragment));
    if (!page.fragment().isEmpty())
        m_browser->scrollToAnchor(page.fragment());
}
