#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;
class QToolButton;
class QVariantAnimation;

/// The fonts, colours and small controls the preferences pages share.
namespace PreferencesStyle {

enum class TextStyle
{
    Body,
    Title,
    Title2,
    Headline,
    Subheadline,
    Caption,
    Caption2
};

QFont font(TextStyle style, const QFont& base);
/// The font with the weight raised to medium (labels) or semibold (titles).
QFont medium(QFont font);
QFont semibold(QFont font);

/// A label in the given text style; secondary labels use the palette's placeholder colour and wrap.
QLabel* label(const QString& text, TextStyle style = TextStyle::Body, bool secondary = false,
              QWidget* parent = nullptr);
QLabel* titleLabel(const QString& text, TextStyle style = TextStyle::Title);
QLabel* captionLabel(const QString& text, TextStyle style = TextStyle::Caption);
QFrame* divider(Qt::Orientation orientation = Qt::Horizontal);

/// The icon "<name>.svg" of the resources, tinted with `color` (an invalid colour keeps the
/// drawing's own colours), `size` points square.
QPixmap symbolPixmap(const QString& name, int size, const QColor& color = QColor(),
                     qreal devicePixelRatio = 1.0);
/// True when "<name>.svg" is compiled in.
bool hasSymbol(const QString& name);

} // namespace PreferencesStyle

/// An on/off switch: a checkable button drawn as a rounded track with a sliding knob.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QVariantAnimation* m_knob;
    qreal m_progress = 0.0;
};

/// Two buttons, minus and plus, without a label of its own. The owner decides what a step does
/// and which directions are open.
class Stepper : public QWidget
{
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);
    QToolButton* decrementButton() const { return m_decrement; }
    QToolButton* incrementButton() const { return m_increment; }
    void setOpenDirections(bool canDecrement, bool canIncrement);

Q_SIGNALS:
    void decremented();
    void incremented();

private:
    QToolButton* m_decrement;
    QToolButton* m_increment;
};
