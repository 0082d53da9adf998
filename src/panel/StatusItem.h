#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

class MenuBarContent;
class QSystemTrayIcon;

/// The small frameless window that shows MenuBarContent next to the status icon.
class MenuBarWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MenuBarWindow(QWidget* parent = nullptr);
    MenuBarContent* content() const { return m_content; }

    /// Shows the window next to `anchor` (the icon's geometry; at `pointer` when it is empty),
    /// inside the screen that holds the anchor.
    void popUp(const QRect& anchor, const QPoint& pointer);
    /// Where the window's top-left corner goes: below the anchor when it sits in the upper half
    /// of the screen, above it otherwise, kept inside the screen.
    static QPoint placement(const QRect& anchor, const QSize& size, const QRect& screen);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MenuBarContent* m_content;
};

/// The status-bar icon ("MenuBarIcon", tinted like the desktop's text) whose click opens the menu
/// window. Without a tray host it prints one line; everything else keeps working.
class StatusItem : public QObject
{
    Q_OBJECT
public:
    explicit StatusItem(QObject* parent = nullptr);
    ~StatusItem() override;

    void install();
    MenuBarWindow* menuWindow() const { return m_menuWindow.get(); }
    MenuBarContent* content() const;
    QSystemTrayIcon* trayIcon() const;
    /// Opens the menu window at the icon (or at the pointer).
    void openMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateIcon();

    std::unique_ptr<MenuBarWindow> m_menuWindow;
    QPointer<QSystemTrayIcon> m_trayIcon;
};
