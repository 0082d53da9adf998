#pragma once

#include <QUrl>

/// The addresses Ovelin links to. The hosts and the support mailbox are chosen here and nowhere
/// else; each address is built once, on first use, and kept.
namespace ProductLinks {

inline constexpr char16_t productSite[] = u"https://ovelin.app";
inline constexpr char16_t supportMailbox[] = u"support@ovelin.app";
inline constexpr char16_t siblingProductSite[] = u"https://tintrove.app";

const QUrl& officialSite();
const QUrl& privacyPolicy();
const QUrl& feedback();
const QUrl& siblingProduct();
/// The update feed: a small JSON document on the product site.
const QUrl& updateFeed();

} // namespace ProductLinks
