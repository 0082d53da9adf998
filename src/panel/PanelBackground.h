#pragma once

#include <QPointer>
#include <QWidget>

class QPainter;

/// The panel's rounded, translucent background. Its colours come from `paletteSource` (the
/// content, which carries the theme), so the frame follows the content's light or dark look.
class PanelBackground : public QWidget
{
    Q_OBJECT
public:
    explicit PanelBackground(QWidget* parent = nullptr);

    int cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(int radius);
    void setPaletteSource(QWidget* source) { m_paletteSource = source; }
    /// Opaque fill when nothing composites translucent windows.
    void setTranslucent(bool translucent);

    /// Draws the rounded background into `rect` with the colours of `colours`.
    static void paint(QPainter& painter, const QRect& rect, int cornerRadius, const QPalette& colours,
                      bool translucent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_cornerRadius = 16;
    bool m_translucent = true;
    QPointer<QWidget> m_paletteSource;
};

/// Lays its children over each other: the first fills it, the resize strip sits along the bottom.
class PanelContainer : public QWidget
{
    Q_OBJECT
public:
    PanelContainer(QWidget* background, QWidget* bottomStrip, int stripHeight, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<QWidget> m_background;
    QPointer<QWidget> m_bottomStrip;
    int m_stripHeight;
};
