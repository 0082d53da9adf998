#pragma once

#include <QObject>

#include "platform/ClipboardService.h"

/// The CLIPBOARD selection through QClipboard. QClipboard's change signal (XFIXES) drives the
/// change count, so callers transfer the selection again only after it changed.
class X11ClipboardService : public QObject, public ClipboardService
{
    Q_OBJECT
public:
    /// Needs a QGuiApplication.
    explicit X11ClipboardService(QObject* parent = nullptr);

    quint64 changeCount() const override { return m_changeCount; }
    ClipboardSnapshot read() override;
    void write(const ClipboardContent& content) override;
    void writePrimarySelection(const ClipboardContent& content) override;

private:
    quint64 m_changeCount = 1;
};
