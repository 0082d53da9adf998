#pragma once

#include <optional>

#include <QAbstractButton>
#include <QList>
#include <QWidget>

class MenuBarContent;

/// One row of the status menu: a tinted symbol and a title looked up by key. Highlighted while
/// the pointer is over it; never takes the keyboard focus.
class MenuBarItemButton : public QAbstractButton
{
    Q_OBJECT
public:
    MenuBarItemButton(MenuBarContent* content, int index, QString symbolName, bool upsideDown,
                      const char* titleKey, QWidget* parent = nullptr);

    int index() const { return m_index; }
    QString symbolName() const { return m_symbolName; }
    bool isHighlighted() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    MenuBarContent* m_content;
    int m_index;
    QString m_symbolName;
    bool m_upsideDown;
};

/// The status menu's content: the header "Ovelin", then the rows to show the history, open the
/// preferences, pause or resume capture (CaptureGate::shared()) and quit. items() lists them by
/// Item, the pause rows last. Rebuilt with the new texts when the language changes.
class MenuBarContent : public QWidget
{
    Q_OBJECT
public:
    enum Item
    {
        ShowItem = 0,
        PreferencesItem = 1,
        QuitItem = 2,
        // Shown only while capturing; ResumeItem only while paused. Listed after QuitItem.
        PauseQuarterHourItem = 3,
        PauseHourItem = 4,
        PauseUntilResumedItem = 5,
        ResumeItem = 6
    };

    explicit MenuBarContent(QWidget* parent = nullptr);

    std::optional<int> hoveredButton() const { return m_hoveredButton; }
    void setHoveredButton(std::optional<int> index);
    QList<MenuBarItemButton*> items() const { return m_items; }
    QString headerText() const;

Q_SIGNALS:
    void showHistoryRequested();
    void preferencesRequested();
    void quitRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();

    QList<MenuBarItemButton*> m_items;
    QWidget* m_body = nullptr;
    std::optional<int> m_hoveredButton;
};
