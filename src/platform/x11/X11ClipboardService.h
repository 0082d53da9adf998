#pragma once

#include <memory>

#include <QObject>

#include "platform/ClipboardService.h"

class XcbClipboardReader;

/// The CLIPBOARD selection through QClipboard. QClipboard's change signal (XFIXES) drives the
/// change count, so callers transfer the selection again only after it changed. Watching reads
/// the selection on a worker thread of its own (XcbClipboardReader).
class X11ClipboardService : public QObject, public ClipboardService
{
    Q_OBJECT
public:
    /// Needs a QGuiApplication.
    explicit X11ClipboardService(QObject* parent = nullptr);
    ~X11ClipboardService() override;

    quint64 changeCount() const override { return m_changeCount; }
    ClipboardSnapshot read() override;
    void watch(SnapshotHandler handler) override;
    void write(const ClipboardContent& content) override;
    void writePrimarySelection(const ClipboardContent& content) override;

private:
    quint64 m_changeCount = 1;
    std::unique_ptr<XcbClipboardReader> m_reader;
};
