#include "panel/SearchBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPalette>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include "panel/SymbolPainter.h"

/// The "xmark.circle.fill" button; it grows and fades in when text appears and shrinks and
/// fades out when the text is gone (0.2 s, ease in-out).
class SearchClearButton : public QWidget
{
public:
    explicit SearchClearButton(QWidget* parent) : QWidget(parent), m_animation(new QVariantAnimation(this))
    {
        setFixedSize(20, 20);
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::NoFocus);
        m_animation->setDuration(200);
        m_animation->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_progress = value.toReal();
            update();
        });
        connect(m_animation, &QVariantAnimation::finished, this, [this] {
            if (m_progress <= 0)
                hide();
        });
        hide();
    }

    void setPresent(bool present)
    {
        if (present == m_present)
            return;
        m_present = present;
        if (present)
            show();
        m_animation->stop();
        m_animation->setStartValue(m_progress);
        m_animation->setEndValue(present ? 1.0 : 0.0);
        if (isVisible() && window()->isVisible()) {
            m_animation->start();
        } else {
            m_progress = present ? 1.0 : 0.0;
            setVisible(present);
        }
    }
    bool isPresent() const { return m_present; }

    std::function<void()> onPressed;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(m_progress);
        const qreal side = 14 * (0.5 + 0.5 * m_progress);
        const QRectF r(width() / 2.0 - side / 2, height() / 2.0 - side / 2, side, side);
        SymbolPainter::paint(&painter, r, QStringLiteral("xmark.circle.fill"),
                             palette().color(QPalette::PlaceholderText));
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_present && rect().contains(event->position().toPoint()) && onPressed)
            onPressed();
    }

private:
    QVariantAnimation* m_animation;
    qreal m_progress = 0;
    bool m_present = false;
};

SearchBar::SearchBar(QWidget* parent)
    : QWidget(parent), m_field(new QLineEdit(this)), m_clear(new SearchClearButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(38, 10, 12, 10);
    layout->setSpacing(6);
    m_field->setFrame(false);
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    // Only the field's own background goes: its text keeps following the panel's theme palette.
    QPalette transparentBase;
    transparentBase.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(transparentBase);
    m_field->setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    QFont font = m_field->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    m_field->setFont(font);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_clear);
    m_clear->setObjectName(QStringLiteral("clearSearchButton"));
    m_clear->onPressed = [this] {
        m_field->clear();
        m_field->setFocus(Qt::OtherFocusReason);
    };
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_clear->setPresent(!text.isEmpty());
        Q_EMIT textChanged(text);
    });
    setFocusProxy(m_field);
    retranslate();
}

QString SearchBar::text() const
{
    return m_field->text();
}

void SearchBar::setText(const QString& text)
{
    m_field->setText(text);
}

QWidget* SearchBar::clearButton() const
{
    return m_clear;
}

void SearchBar::focusField()
{
    m_field->setFocus(Qt::OtherFocusReason);
}

void SearchBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = 16;
    SymbolPainter::paint(&painter, QRectF(14, height() / 2.0 - side / 2, side, side),
                         QStringLiteral("magnifyingglass"), palette().color(QPalette::PlaceholderText));
}

void SearchBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void SearchBar::retranslate()
{
    m_field->setPlaceholderText(qtTrId("search_placeholder"));
}
