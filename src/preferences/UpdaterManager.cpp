#include "preferences/UpdaterManager.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "common/Console.h"
#include "core/Settings.h"
#include "preferences/AlertPresenter.h"
#include "preferences/AppVersion.h"
#include "preferences/ProductLinks.h"
#include "preferences/UpdateFeed.h"

namespace {

// The feed is a few hundred bytes; anything far larger is not our feed.
constexpr qint64 maximumFeedSize = 64 * 1024;
constexpr int transferTimeoutMs = 15000;

} // namespace

UpdaterManager& UpdaterManager::shared()
{
    static UpdaterManager* instance = new UpdaterManager;
    return *instance;
}

UpdaterManager::UpdaterManager()
    : m_feedUrl(ProductLinks::updateFeed()), m_automaticTimer(new QTimer(this)),
      m_firstAutomaticDelayMs(10 * 60 * 1000), m_automaticIntervalMs(24 * 60 * 60 * 1000)
{
    static MessageBoxAlertPresenter messageBoxes;
    m_alerts = &messageBoxes;
    m_open = openUrlWithSystem;
    const QVariantMap info = mainBundleInfo();
    m_runningVersion = info.value(QStringLiteral("CFBundleShortVersionString")).toString();
    m_runningBuild = info.value(QStringLiteral("CFBundleVersion")).toString();
    m_automaticTimer->setSingleShot(true);
    connect(m_automaticTimer, &QTimer::timeout, this, &UpdaterManager::automaticCheck);
}

UpdaterManager::~UpdaterManager() = default;

void UpdaterManager::setRunningVersion(const QString& version, const QString& build)
{
    m_runningVersion = version;
    m_runningBuild = build;
}

void UpdaterManager::setAutomaticCheckTiming(int firstDelayMs, int intervalMs)
{
    m_firstAutomaticDelayMs = firstDelayMs;
    m_automaticIntervalMs = intervalMs;
}

void UpdaterManager::start()
{
    if (m_network)
        return;
    const bool webAddress =
        m_feedUrl.scheme() == QLatin1String("https") || m_feedUrl.scheme() == QLatin1String("http");
    if (!m_feedUrl.isValid() || !webAddress || m_feedUrl.host().isEmpty()) {
        ovelin::printLine(
            QStringLiteral("🚫 Falha ao iniciar atualizador (feed JSON): endereço do feed inválido: ") +
            m_feedUrl.toDisplayString());
        return;
    }
    m_network = std::make_unique<QNetworkAccessManager>();
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    ovelin::printLine(QStringLiteral("✅ Atualizador (feed JSON) iniciado"));
    m_automaticTimer->start(m_firstAutomaticDelayMs);
}

void UpdaterManager::checkForUpdates()
{
    check(Mode::Interactive);
}

void UpdaterManager::automaticCheck()
{
    m_automaticTimer->start(m_automaticIntervalMs);
    if (Settings::shared().boolValue(QString(SettingsKey::checkUpdatesAutomatically)))
        check(Mode::Background);
}

void UpdaterManager::check(Mode mode)
{
    if (!m_network || m_reply)
        return;
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(transferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QString(QStringLiteral("Ovelin/") + m_runningVersion));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;

    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maximumFeedSize)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, mode] {
        reply->deleteLater();
        m_reply = nullptr;
        QString networkError;
        if (reply->bytesAvailable() > maximumFeedSize ||
            reply->error() == QNetworkReply::OperationCanceledError)
            networkError = QStringLiteral("the update feed is too large");
        else if (reply->error() != QNetworkReply::NoError)
            networkError = reply->errorString();
        finish(mode, networkError.isEmpty() ? reply->read(maximumFeedSize) : QByteArray(), networkError);
    });
}

void UpdaterManager::finish(Mode mode, const QByteArray& body, const QString& networkError)
{
    if (!networkError.isEmpty()) {
        presentAnswer(mode, std::nullopt, networkError);
        return;
    }
    QString parseError;
    const std::optional<UpdateFeed> feed = UpdateFeed::parse(body, &parseError);
    presentAnswer(mode, feed, parseError);
}

void UpdaterManager::presentAnswer(Mode mode, const std::optional<UpdateFeed>& feed, const QString& error)
{
    const bool newer = feed && isNewerThanRunning(*feed, m_runningVersion, m_runningBuild);
    // A check nobody asked for stays quiet unless there is something to install.
    if (mode == Mode::Background && !newer) {
        if (!error.isEmpty())
            ovelin::printLine(QStringLiteral("⚠️ Verificação automática de atualizações falhou: ") +
                              error);
        Q_EMIT checkFinished();
        return;
    }

    Alert alert;
    if (!feed) {
        alert.icon = Alert::Icon::Warning;
        alert.title = qtTrId("update_error_title");
        alert.message = qtTrId("update_error_message").arg(error);
        alert.buttons = {{qtTrId("ok_button_label"), Alert::Role::Cancel}};
    } else if (newer) {
        alert.title = qtTrId("update_available_title");
        alert.message = qtTrId("update_available_message").arg(feed->version, m_runningVersion);
        alert.buttons = {{qtTrId("update_download_button"), Alert::Role::Default},
                         {qtTrId("update_later_button"), Alert::Role::Cancel}};
    } else {
        alert.title = qtTrId("update_up_to_date_title");
        alert.message = qtTrId("update_up_to_date_message").arg(m_runningVersion);
        alert.buttons = {{qtTrId("ok_button_label"), Alert::Role::Cancel}};
    }

    const QUrl download =
        feed && !feed->downloadUrl.isEmpty() ? feed->downloadUrl : ProductLinks::officialSite();
    if (m_alerts) {
        m_alerts->present(QApplication::activeWindow(), alert, [this, newer, download](int choice) {
            if (newer && choice == 0 && m_open)
                m_open(download);
        });
    }
    Q_EMIT checkFinished();
}
