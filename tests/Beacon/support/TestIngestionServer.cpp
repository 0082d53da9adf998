#include "TestIngestionServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

TestIngestionServer::TestIngestionServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
        }
    });
}

bool TestIngestionServer::listen(quint16 port)
{
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_server.serverPort();
    return true;
}

void TestIngestionServer::readFrom(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);

        m_requests.append(request);
        if (holdResponses) {
            m_answeredStatuses.append(0);
            continue;
        }
        const int status = m_statuses.isEmpty() ? defaultStatus : m_statuses.takeFirst();
        m_answeredStatuses.append(status);
        const QByteArray answer = "{}";
        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                      " Status\r\nContent-Type: application/json\r\n" +
                      "Content-Length: " + QByteArray::number(answer.size()) + "\r\n\r\n" + answer);
    }
}

QList<QByteArray> TestIngestionServer::bodies() const
{
    QList<QByteArray> result;
    for (const Request& request : m_requests)
        result.append(request.body);
    return result;
}

QList<QJsonObject> TestIngestionServer::acceptedRecords() const
{
    QList<QJsonObject> records;
    for (qsizetype i = 0; i < m_requests.size(); ++i) {
        if (m_answeredStatuses.value(i) / 100 != 2)
            continue;
        for (const QJsonValue& record : QJsonDocument::fromJson(m_requests[i].body).array())
            records.append(record.toObject());
    }
    return records;
}

QStringList TestIngestionServer::acceptedPayloadValues(const QString& key) const
{
    QStringList values;
    for (const QJsonObject& record : acceptedRecords())
        values.append(record.value(u"payload").toObject().value(key).toString());
    return values;
}
