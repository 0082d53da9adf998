#pragma once

#include <memory>

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM, SIGINT and SIGHUP (the session manager at logout, Ctrl+C, a closed terminal)
/// into an ordinary quit, so that everything the application does when its event loop ends still
/// happens: the pending history save and the analytics cache. The handler only writes the signal
/// number into a pipe; the event loop reads it. One instance at a time.
class UnixSignalHandler : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalHandler(QObject* parent = nullptr);
    ~UnixSignalHandler() override;

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
