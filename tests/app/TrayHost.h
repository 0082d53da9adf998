#pragma once

#include "OvelinProcesses.h"
#include "panel/MenuBarContent.h"
#include "panel/StatusItem.h"

namespace ovelin::test {

/// trayer: a small panel whose tray embeds icons the XEmbed way, as desktops without a
/// StatusNotifier host do. Ovelin's icon shows there whether the tray starts before or after it.
class TrayHost
{
public:
    ~TrayHost() { stop(); }
    bool start()
    {
        m_process.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s,
                                      u"request"_s, u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s});
        // Ready once its panel is mapped: from then on an icon docks into a tray that is there.
        return m_process.waitForStarted() && waitFor([] {
                   return !xdotool({u"search"_s, u"--onlyvisible"_s, u"--class"_s, u"^trayer$"_s})
                               .trimmed()
                               .isEmpty();
               });
    }
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

inline QString trayIcon()
{
    return visibleOvelinWindow([](const QRect& geometry) {
        return geometry.width() > 1 && geometry.width() <= 64 && geometry.height() <= 64;
    });
}

inline QString menuWindow()
{
    return visibleOvelinWindow([](const QRect& geometry) {
        return geometry.width() >= 200 && geometry.width() < 400 && geometry.height() < 300;
    });
}

inline void clickAt(const QPoint& point)
{
    xdotool({u"mousemove"_s, QString::number(point.x()), QString::number(point.y()), u"click"_s, u"1"_s});
}

/// Opens the menu from the icon and clicks its row `item`. The rows sit where this process's
/// own copy of the menu window puts them: same code, same fonts.
inline bool clickTrayMenuRow(MenuBarContent::Item item)
{
    const QString icon = trayIcon();
    if (icon.isEmpty())
        return false;
    clickAt(geometryOf(icon).center());
    if (!waitFor([] { return !menuWindow().isEmpty(); }))
        return false;
    MenuBarWindow reference;
    reference.setAttribute(Qt::WA_DontShowOnScreen); // laid out, never mapped
    reference.adjustSize();
    reference.show();
    const QWidget* row = reference.content()->items().at(item);
    const QPoint inRow = row->mapTo(&reference, QPoint(30, row->height() / 2));
    reference.hide();
    clickAt(geometryOf(menuWindow()).topLeft() + inRow);
    return waitFor([] { return menuWindow().isEmpty(); });
}

} // namespace ovelin::test
