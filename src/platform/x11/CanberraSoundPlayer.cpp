#include "platform/x11/CanberraSoundPlayer.h"

#include <mutex>

#include <QThreadPool>

#ifdef OVELIN_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace {

// The theme's event names for the sounds Ovelin asks for by name.
QByteArray eventId(const QString& name)
{
    if (name == u"Blow")
        return QByteArrayLiteral("message");
    return name.toLower().toUtf8();
}

} // namespace

void CanberraSoundPlayer::play(const QString& name)
{
#ifdef OVELIN_HAVE_CANBERRA
    const QByteArray id = eventId(name);
    // Connecting to the sound server can take a while; the GUI thread never waits for it.
    QThreadPool::globalInstance()->start([id] {
        static std::mutex mutex;
        static ca_context* context = nullptr;
        static bool unavailable = false;
        std::lock_guard lock(mutex);
        if (unavailable)
            return;
        if (!context && ca_context_create(&context) != CA_SUCCESS) {
            unavailable = true;
            return;
        }
        ca_context_play(context, 0, CA_PROP_EVENT_ID, id.constData(), CA_PROP_MEDIA_ROLE, "event", nullptr);
    });
#else
    Q_UNUSED(name);
#endif
}
