#pragma once

#include <QWidget>

/// The floating panel's window: a frameless tool window that stays on top, can take the keyboard
/// focus, and swallows Super-key combinations aimed at it (they do nothing while it is active).
/// Dragging its background moves it while `isMovableByWindowBackground()` is on.
class CustomPanel : public QWidget
{
    Q_OBJECT
public:
    /// The level reported for a floating window (the panel's level).
    static constexpr int floatingLevel = 3;

    explicit CustomPanel(QWidget* parent = nullptr);
    ~CustomPanel() override;

    int level() const;
    bool isMovableByWindowBackground() const { return m_movableByBackground; }
    void setMovableByWindowBackground(bool movable) { m_movableByBackground = movable; }

    /// Rounds the window's outline. With `useShapeMask` the corners are cut out of the window's
    /// shape (needed when nothing composites translucent pixels).
    void setCornerRadius(int radius, bool useShapeMask);

    /// True for keys aimed at the panel that the panel swallows.
    static bool isSwallowedKeyEquivalent(int key, Qt::KeyboardModifiers modifiers);

Q_SIGNALS:
    /// The panel stopped being the active window.
    void resignedKey();
    /// The panel's size changed, whoever changed it.
    void resized();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShapeMask();

    bool m_movableByBackground = true;
    int m_cornerRadius = 0;
    bool m_useShapeMask = false;
};
