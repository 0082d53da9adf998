#include "HotkeyManager.h"

#include <QCoreApplication>
#include <QStringList>

#include "common/Console.h"
#include "core/PanelPresenter.h"

using namespace Qt::StringLiterals;

namespace {

// The shortcut text as it goes into a printed line: the text comes from the settings file, so
// control characters are masked and an overlong text is cut.
QString printable(const QString& text)
{
    constexpr qsizetype maximum = 64;
    QString shown = text;
    if (shown.size() > maximum) {
        qsizetype cut = maximum;
        if (shown.at(cut - 1).isHighSurrogate()) {
            --cut;
        }
        shown = shown.left(cut) + u'…';
    }
    for (QChar& character : shown) {
        if (character.category() == QChar::Other_Control) {
            character = QChar::ReplacementCharacter;
        }
    }
    return shown;
}

} // namespace

HotkeyManager& HotkeyManager::shared()
{
    static HotkeyManager instance;
    return instance;
}

HotkeyManager::Shortcut HotkeyManager::parseShortcut(const QString& text)
{
    const ModifierFlags modifiers = ModifierFlags::fromSymbols(text);
    // The last character in A–Z or 0–9 (lower-case letters do not count).
    for (qsizetype index = text.size() - 1; index >= 0; --index) {
        const char16_t character = text.at(index).unicode();
        if ((character >= u'A' && character <= u'Z') || (character >= u'0' && character <= u'9')) {
            const auto key = HotKeys::keyFromString(QString(QChar(character)));
            if (!key) {
                return {};
            }
            return {key, modifiers};
        }
    }
    return {};
}

void HotkeyManager::setShortcutService(GlobalShortcutService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        m_service->unbind();
    m_service = service;
    QCoreApplication* application = QCoreApplication::instance();
    if (m_service && application) {
        // A binding left in the desktop would start a new Ovelin at the next press.
        QObject::connect(application, &QCoreApplication::aboutToQuit, application, [this, service] {
            if (m_service == service)
                service->unbindNow();
        });
    }
}

std::optional<GlobalShortcutService::Combination> HotkeyManager::combination(const QString& text)
{
    const Shortcut shortcut = parseShortcut(text);
    if (!shortcut.key)
        return std::nullopt;
    GlobalShortcutService::Combination combination;
    // The key character as parsing found it: the last A–Z or 0–9 of the text.
    for (qsizetype index = text.size() - 1; index >= 0 && combination.key.isNull(); --index) {
        const QChar character = text.at(index);
        if ((character >= u'A' && character <= u'Z') || (character >= u'0' && character <= u'9'))
            combination.key = character;
    }
    combination.control = shortcut.modifiers.contains(ModifierFlags::control);
    combination.alt = shortcut.modifiers.contains(ModifierFlags::option);
    combination.shift = shortcut.modifiers.contains(ModifierFlags::shift);
    combination.super = shortcut.modifiers.contains(ModifierFlags::command);
    return combination;
}

void HotkeyManager::registerShortcut(const QString& text)
{
    // Released first, so the old combination is free before the new one is bound.
    if (m_service)
        m_service->unbind();

    const Shortcut shortcut = parseShortcut(text);
    if (!shortcut.key) {
        ovelin::printLine(u"⚠️ Atalho inválido: "_s + printable(text));
        return;
    }
    if (m_service)
        m_service->bind(*combination(text), [this, text] { pressed(text); });
}

void HotkeyManager::pressed(const QString& text)
{
    ovelin::printLine(u"⚡️ Atalho pressionado: "_s + printable(text));
    if (m_presenter != nullptr) {
        m_presenter->toggleWindow(u"shortcut"_s);
    }
}
