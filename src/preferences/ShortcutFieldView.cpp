#include "preferences/ShortcutFieldView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QVariantAnimation>

#include "core/Settings.h"
#include "core/ShortcutText.h"
#include "preferences/KeyboardEventCatcher.h"

namespace {

QString shortcutKey()
{
    return QString(SettingsKey::shortcutKey);
}

constexpr qreal idleButtonOpacity = 0.5;

} // namespace

/// The 140 × 24 field with its rounded outline; a click asks for a recording.
class ShortcutFieldView::Field : public QWidget
{
public:
    explicit Field(ShortcutFieldView* owner) : QWidget(owner), m_owner(owner)
    {
        setFixedSize(140, 24);
        setCursor(Qt::PointingHandCursor);
        QFont small = font();
        small.setPixelSize(12);
        setFont(small);
    }

    QString text;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor outline(Qt::gray);
        outline.setAlphaF(0.4);
        painter.setPen(QPen(outline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignCenter,
                         fontMetrics().elidedText(text, Qt::ElideRight, width() - 8));
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_owner->startRecording();
        event->accept();
    }

private:
    ShortcutFieldView* m_owner;
};

/// The "xmark.circle.fill" button: secondary colour, full opacity while hovered and half
/// otherwise, the change eased over 0.2 s.
class ShortcutFieldView::ClearButton : public QAbstractButton
{
public:
    explicit ClearButton(ShortcutFieldView* owner)
        : QAbstractButton(owner), m_owner(owner), m_fade(new QVariantAnimation(this))
    {
        setFixedSize(16, 16);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        m_fade->setDuration(200);
        m_fade->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_opacity = value.toReal();
            update();
        });
    }

    qreal opacity() const { return m_opacity; }

    void fadeTo(qreal target)
    {
        m_fade->stop();
        if (!isVisible()) {
            m_opacity = target;
            return;
        }
        m_fade->setStartValue(m_opacity);
        m_fade->setEndValue(target);
        m_fade->start();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const qreal ratio = devicePixelRatioF();
        QPixmap glyph = QIcon(QStringLiteral(":/icons/xmark.circle.fill.svg")).pixmap(QSize(13, 13), ratio);
        if (!glyph.isNull()) {
            QPainter tint(&glyph);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(glyph.rect(), palette().color(QPalette::PlaceholderText));
        }
        QPainter painter(this);
        painter.setOpacity(m_opacity);
        const QRect target((width() - 13) / 2, (height() - 13) / 2, 13, 13);
        if (!glyph.isNull())
            painter.drawPixmap(target, glyph);
        else
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("\u2715"));
    }

    void enterEvent(QEnterEvent* event) override
    {
        QAbstractButton::enterEvent(event);
        m_owner->setHoveringButton(true);
    }

    void leaveEvent(QEvent* event) override
    {
        QAbstractButton::leaveEvent(event);
        m_owner->setHoveringButton(false);
    }

private:
    ShortcutFieldView* m_owner;
    QVariantAnimation* m_fade;
    qreal m_opacity = idleButtonOpacity;
};

ShortcutFieldView::ShortcutFieldView(QWidget* parent, Registrar registerShortcut)
    : QWidget(parent), m_register(std::move(registerShortcut)), m_field(new Field(this)),
      m_button(new ClearButton(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_field, 0, Qt::AlignVCenter);
    row->addWidget(m_button, 0, Qt::AlignVCenter);
    row->addStretch(1);

    connect(m_button, &QAbstractButton::clicked, this, &ShortcutFieldView::pressClearButton);
    connect(&Settings::shared(), &Settings::valueChanged, this, [this](const QString& key) {
        if (key == shortcutKey())
            refresh();
    });
    refresh();
}

ShortcutFieldView::~ShortcutFieldView()
{
    // Going away mid-recording (the page rebuilt, the window destroyed) must not leave the
    // stored shortcut empty. Nobody hears about it: the owner may be half destroyed already.
    if (m_recording) {
        const QSignalBlocker quiet(this);
        cancelRecording();
    }
}

QString ShortcutFieldView::recordedShortcut() const
{
    return Settings::shared().stringValue(shortcutKey());
}

QString ShortcutFieldView::fieldText() const
{
    return m_field->text;
}

QWidget* ShortcutFieldView::field() const
{
    return m_field;
}

QAbstractButton* ShortcutFieldView::clearButton() const
{
    return m_button;
}

void ShortcutFieldView::startRecording()
{
    if (m_recording)
        return;
    m_tempShortcut = recordedShortcut();
    setRecording(true);
    setRecordedShortcut(QString());
}

void ShortcutFieldView::pressClearButton()
{
    setRecordedShortcut(m_recording ? m_tempShortcut : QString());
    setRecording(false);
    registerShortcut(recordedShortcut());
}

void ShortcutFieldView::commit(const QString& shortcut)
{
    setRecordedShortcut(shortcut);
    setRecording(false);
    registerShortcut(recordedShortcut());
}

void ShortcutFieldView::cancelRecording()
{
    setRecordedShortcut(m_tempShortcut);
    setRecording(false);
    registerShortcut(recordedShortcut());
}

void ShortcutFieldView::setRecording(bool recording)
{
    if (m_recording == recording)
        return;
    m_recording = recording;
    if (recording) {
        m_catcher = new KeyboardEventCatcher([this] { return m_recording; }, m_field);
        m_catcher->setGeometry(m_field->rect());
        connect(m_catcher, &KeyboardEventCatcher::captured, this, &ShortcutFieldView::commit);
        connect(m_catcher, &KeyboardEventCatcher::escapePressed, this, &ShortcutFieldView::cancelRecording);
        m_catcher->show();
    } else if (m_catcher) {
        // The catcher may be the sender of the signal that ended the recording.
        m_catcher->hide();
        m_catcher->deleteLater();
        m_catcher = nullptr;
    }
    refresh();
    Q_EMIT recordingChanged(recording);
}

void ShortcutFieldView::setRecordedShortcut(const QString& shortcut)
{
    if (recordedShortcut() == shortcut)
        return;
    Settings::shared().setValue(shortcutKey(), shortcut);
    Q_EMIT recordedShortcutChanged(shortcut);
}

void ShortcutFieldView::registerShortcut(const QString& shortcut)
{
    if (m_register)
        m_register(shortcut);
}

void ShortcutFieldView::setHoveringButton(bool hovering)
{
    if (m_hoveringButton == hovering)
        return;
    m_hoveringButton = hovering;
    m_button->fadeTo(hovering ? 1.0 : idleButtonOpacity);
    refresh();
}

void ShortcutFieldView::refresh()
{
    const QString stored = recordedShortcut();
    if (!stored.isEmpty())
        m_field->text = shortcutDisplayText(stored);
    else if (m_recording && m_hoveringButton)
        m_field->text = qtTrId("cancel_button_label");
    else
        m_field->text = qtTrId("shortcut_field_placeholder");
    m_field->setAccessibleName(m_field->text);
    m_field->update();

    const bool showButton = m_recording || !stored.isEmpty();
    if (!showButton && m_hoveringButton) {
        // A hidden button gets no leave event.
        m_hoveringButton = false;
        m_button->fadeTo(idleButtonOpacity);
    }
    m_button->setVisible(showButton);
    m_button->setAccessibleName(qtTrId("cancel_button_label"));
    setToolTip(qtTrId("shortcut_field_help"));
}

void ShortcutFieldView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        refresh();
}

void ShortcutFieldView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Closing the window (it is only hidden) ends a recording the way Escape does.
    if (m_recording)
        cancelRecording();
}
