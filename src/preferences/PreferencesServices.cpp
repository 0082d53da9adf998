#include "preferences/PreferencesServices.h"

#include <QDesktopServices>

#include "preferences/AlertPresenter.h"
#include "preferences/AppVersion.h"
#include "preferences/HelpViewer.h"

PreferencesServices PreferencesServices::standard()
{
    static MessageBoxAlertPresenter alerts;

    PreferencesServices services;
    services.alerts = &alerts;
    services.sendSignal = [](AppSignal signal, const SignalParameters& parameters) {
        Telemetry::shared().send(signal, parameters);
    };
    services.openUrl = openUrlWithSystem;
    services.bundleInfo = mainBundleInfo();
    return services;
}

void PreferencesServices::send(AppSignal signal, const SignalParameters& parameters) const
{
    if (sendSignal)
        sendSignal(signal, parameters);
}

void PreferencesServices::open(const QUrl& url) const
{
    if (url.isValid() && openUrl)
        openUrl(url);
}

void openUrlWithSystem(const QUrl& url)
{
    if (url.scheme() == QLatin1String("qrc"))
        HelpViewer::showPage(url);
    else
        QDesktopServices::openUrl(url);
}
