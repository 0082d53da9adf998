#pragma once

#include "platform/KeyEventPoster.h"

/// XTEST: the keystroke is typed as if on the keyboard, so it reaches the focused window.
class X11KeyEventPoster : public KeyEventPoster
{
public:
    QString mechanismName() const override { return QStringLiteral("XTEST"); }
    bool postPasteKeystroke(PasteKeystroke keystroke, QString* error) override;
};
