#pragma once

#include <QString>

#include "platform/LoginItemService.h"

/// Launch at login through the XDG autostart entry "ovelin.desktop" in $XDG_CONFIG_HOME/autostart.
/// The entry counts as enabled when the file exists and does not say Hidden=true.
class XdgAutostartLoginItem : public LoginItemService
{
public:
    /// The entry in the user's autostart folder, starting the running executable.
    XdgAutostartLoginItem();
    XdgAutostartLoginItem(QString entryPath, QString executablePath);

    bool isEnabled() const override;
    bool registerItem(QString* error) override;
    bool unregisterItem(QString* error) override;
    /// An enabled entry written for another executable (an earlier build, a moved or packaged
    /// install) is written again for this one; a hidden or missing entry is left alone.
    bool followExecutable(QString* error);

    QString entryPath() const { return m_entryPath; }
    /// The desktop entry written for an executable; the Exec value is quoted and escaped so that
    /// any path (spaces, quotes, dollar signs, percent signs) names exactly that file.
    static QByteArray desktopEntry(const QString& executablePath);

private:
    QString m_entryPath;
    QString m_executablePath;
};
