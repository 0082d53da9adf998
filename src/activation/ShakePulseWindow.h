#pragma once

#include <QWidget>

class QVariantAnimation;

/// The short visual answer to a recognised shake: a translucent blue disc centred on the pointer
/// that fades out and hides itself. It never takes the focus or the mouse.
class ShakePulseWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int diameter = 60;
    static constexpr int fadeMilliseconds = 350;

    explicit ShakePulseWindow(QWidget* parent = nullptr);

    /// Shows the disc centred on `center` (global coordinates) and starts the fade.
    void pulse(const QPoint& center);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVariantAnimation* m_fade;
    qreal m_opacity = 1.0;
};
