#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

/// A small HTTP/1.1 server on loopback that records every request and answers with the status
/// the test asks for (200 unless told otherwise), or holds the answer back.
class TestIngestionServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // lower-case names
        QByteArray body;
    };

    explicit TestIngestionServer(QObject* parent = nullptr);

    /// Listens on 127.0.0.1 (`port` 0: any free port).
    bool listen(quint16 port = 0);
    void close() { m_server.close(); }
    quint16 port() const { return m_port; }
    QUrl baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port)); }

    /// Statuses for the next requests, in order; afterwards `defaultStatus`.
    void queueStatuses(const QList<int>& statuses) { m_statuses.append(statuses); }
    int defaultStatus = 200;
    /// Never answer while set.
    bool holdResponses = false;

    QList<Request> requests() const { return m_requests; }
    /// Every uploaded body, in arrival order.
    QList<QByteArray> bodies() const;
    /// Every record of every request answered with 2xx, in order.
    QList<QJsonObject> acceptedRecords() const;
    /// The payload value under `key` of every record accepted, in order.
    QStringList acceptedPayloadValues(const QString& key) const;

private:
    void readFrom(QTcpSocket* socket);

    QTcpServer m_server;
    quint16 m_port = 0;
    QList<int> m_statuses;
    QList<Request> m_requests;
    QList<int> m_answeredStatuses;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};
