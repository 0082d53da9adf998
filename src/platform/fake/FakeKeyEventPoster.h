#pragma once

#include <QList>

#include "platform/KeyEventPoster.h"

/// Records the keystrokes instead of typing them; can be told to fail.
class FakeKeyEventPoster : public KeyEventPoster
{
public:
    QString mechanismName() const override { return QStringLiteral("XTEST"); }
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override;

    /// Makes the following posts fail with this reason (an empty reason makes them succeed).
    void setFailure(const QString& reason) { m_failure = reason; }
    const QList<PasteKeystroke>& posted() const { return m_posted; }

private:
    QString m_failure;
    QList<PasteKeystroke> m_posted;
};
