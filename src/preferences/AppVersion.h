#pragma once

#include <QString>
#include <QVariantMap>

/// The running build's version strings under the keys the about page reads:
/// "CFBundleShortVersionString" (the project version) and "CFBundleVersion" (the build number).
QVariantMap mainBundleInfo();

/// "Versão <version> (<build>)": the version falls back to "–" (U+2013) and the build to the
/// empty text when missing or not text. The word "Versão" is not translated.
QString versionText(const QVariantMap& bundleInfo);
