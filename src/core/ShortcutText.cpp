#include "core/ShortcutText.h"

#include <utility>

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

QString shortcutDisplayText(const QString& text)
{
    static const std::pair<QChar, QString> names[] = {{QChar(0x2303), u"Ctrl"_s},
                                                      {QChar(0x2325), u"Alt"_s},
                                                      {QChar(0x21E7), u"Shift"_s},
                                                      {QChar(0x2318), u"Super"_s}};
    QStringList parts;
    QString rest = text;
    for (const auto& [symbol, name] : names) {
        if (rest.contains(symbol)) {
            parts << name;
            rest.remove(symbol);
        }
    }
    // What is left is the key (a letter or digit, or what an unusable recording kept).
    if (!rest.isEmpty()) {
        parts << rest;
    }
    return parts.join(u'+');
}
