#include "paste/PasteSequence.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "core/Settings.h"
#include "history/ClipboardItem.h"
#include "paste/PasteManager.h"
#include "platform/SoundPlayer.h"
#include "telemetry/Telemetry.h"

using namespace Qt::StringLiterals;

namespace {

void hideTopLevelWidgets()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* widget : widgets) {
        if (widget->isVisible())
            widget->hide();
    }
}

} // namespace

PasteSequence::PasteSequence() : m_hideApplication(hideTopLevelWidgets)
{
}

PasteSequence& PasteSequence::shared()
{
    static PasteSequence instance;
    return instance;
}

void PasteSequence::setHideApplicationHandler(std::function<void()> handler)
{
    m_hideApplication = handler ? std::move(handler) : std::function<void()>(hideTopLevelWidgets);
}

void PasteSequence::paste(const ClipboardItem& item, PasteOrigin origin, bool plainText)
{
    PasteManager& manager = PasteManager::shared();
    if (origin == PasteOrigin::RowClick &&
        Settings::shared().boolValue(QString(SettingsKey::playClickSound)) && manager.services().soundPlayer)
        manager.services().soundPlayer->play(u"Blow"_s);
    manager.copyToPasteboard(item, plainText);
    m_hideApplication();
    QTimer::singleShot(m_pasteDelay, this, [this] {
        PasteManager& manager = PasteManager::shared();
        const QString contentType = manager.lastCopiedContentType().value_or(u"unknown"_s);
        manager.performPaste([this, contentType] {
            Telemetry::shared().sendThrottled(AppSignal::PastePerformed, {{u"contentType"_s, contentType}},
                                              15);
            Q_EMIT pastePerformed(contentType);
        });
    });
}
