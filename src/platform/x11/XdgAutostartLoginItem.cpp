#include "platform/x11/XdgAutostartLoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/ovelin.desktop");
}

// Exec quoting of the desktop entry format: the argument goes in double quotes with ", ` and $
// escaped by a backslash and a backslash by another; the file's string escaping then doubles every
// backslash once more (so a literal backslash takes four). A % is doubled.
QString quotedExecArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == u'\\') {
            quoted += QStringLiteral("\\\\\\\\");
            continue;
        }
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += QStringLiteral("\\\\");
        if (c == u'%') {
            quoted += QStringLiteral("%%");
            continue;
        }
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

// Control characters (a newline above all) would end the Exec line early.
bool isSafeForEntry(const QString& path)
{
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return !path.isEmpty();
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem()
    : XdgAutostartLoginItem(defaultEntryPath(), QCoreApplication::applicationFilePath())
{
}

XdgAutostartLoginItem::XdgAutostartLoginItem(QString entryPath, QString executablePath)
    : m_entryPath(std::move(entryPath)), m_executablePath(std::move(executablePath))
{
}

bool XdgAutostartLoginItem::isEnabled() const
{
    QFile file(m_entryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == "Hidden" && line.mid(equals + 1).trimmed() == "true")
            return false;
    }
    return true;
}

QByteArray XdgAutostartLoginItem::desktopEntry(const QString& executablePath)
{
    QByteArray entry = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Ovelin\n"
                       "Comment=Clipboard history\n";
    entry += "Exec=" + quotedExecArgument(executablePath).toUtf8() + '\n';
    entry += "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n";
    return entry;
}

bool XdgAutostartLoginItem::registerItem(QString* error)
{
    if (!isSafeForEntry(m_executablePath)) {
        if (error)
            *error = QStringLiteral("the executable path cannot be written into an autostart entry");
        return false;
    }
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(desktopEntry(m_executablePath));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool XdgAutostartLoginItem::followExecutable(QString* error)
{
    if (!isEnabled())
        return true;
    QFile file(m_entryPath);
    if (file.open(QIODevice::ReadOnly) &&
        file.readAll().split('\n').contains("Exec=" + quotedExecArgument(m_executablePath).toUtf8()))
        return true;
    return registerItem(error);
}

bool XdgAutostartLoginItem::unregisterItem(QString* error)
{
    QFile file(m_entryPath);
    if (!file.exists())
        return true;
    if (!file.remove()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
