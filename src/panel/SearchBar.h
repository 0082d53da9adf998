#pragma once

#include <QWidget>

class QLineEdit;
class QVariantAnimation;
class SearchClearButton;

/// The search field on top of the list: a magnifying glass, a single-line field, and a clear
/// button that is there only while the field holds text.
class SearchBar : public QWidget
{
    Q_OBJECT
public:
    explicit SearchBar(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_field; }
    QWidget* clearButton() const;
    void focusField();

Q_SIGNALS:
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QLineEdit* m_field;
    SearchClearButton* m_clear;
};
