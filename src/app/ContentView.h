#pragma once

#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

class AppEnvironment;
class ClipboardHistory;
class QVBoxLayout;

/// The floating panel's root view: hosts the history list, applies the chosen theme and
/// language, and starts the clipboard monitor the first time it is shown (never again after).
class ContentView : public QWidget
{
    Q_OBJECT
public:
    using MonitorStarter = std::function<std::unique_ptr<QObject>(ClipboardHistory&)>;

    ContentView(ClipboardHistory& history, AppEnvironment& environment, MonitorStarter startMonitor,
                QWidget* parent = nullptr);
    ~ContentView() override;

    ClipboardHistory& history() const { return m_history; }
    /// The running monitor; none until the view was first shown.
    QObject* clipboardMonitor() const { return m_clipboardMonitor.get(); }
    /// The history list shown inside.
    QWidget* listView() const { return m_listView; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyTheme();

    ClipboardHistory& m_history;
    AppEnvironment& m_environment;
    MonitorStarter m_startMonitor;
    std::unique_ptr<QObject> m_clipboardMonitor;
    QPointer<QWidget> m_listView;
};
