#include "preferences/ProductLinks.h"

#include <QString>

namespace ProductLinks {

namespace {
QUrl siteAddress(QStringView site, QStringView pathAndQuery)
{
    return QUrl(site.toString() + pathAndQuery.toString(), QUrl::StrictMode);
}
} // namespace

const QUrl& officialSite()
{
    static const QUrl url = siteAddress(
        productSite, u"/?utm_source=app&utm_medium=about&utm_campaign=organic&utm_content=official_site");
    return url;
}

const QUrl& privacyPolicy()
{
    static const QUrl url = siteAddress(
        productSite, u"/privacy?utm_source=app&utm_medium=about&utm_campaign=organic&utm_content=privacy");
    return url;
}

const QUrl& feedback()
{
    static const QUrl url(QStringLiteral("mailto:") + QStringView(supportMailbox).toString(),
                          QUrl::StrictMode);
    return url;
}

const QUrl& siblingProduct()
{
    static const QUrl url =
        siteAddress(siblingProductSite, u"/?utm_source=ovelin_app&utm_medium=about&utm_campaign=crosspromo");
    return url;
}

const QUrl& updateFeed()
{
    static const QUrl url = siteAddress(productSite, u"/updates/linux.json");
    return url;
}

} // namespace ProductLinks
