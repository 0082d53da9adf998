#include "platform/fake/FakeKeyEventPoster.h"

bool FakeKeyEventPoster::postPasteKeystroke(PasteKeystroke keystroke, QString* error)
{
    if (!m_failure.isEmpty()) {
        if (error)
            *error = m_failure;
        return false;
    }
    m_posted.append(keystroke);
    return true;
}
