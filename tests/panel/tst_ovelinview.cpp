#include <QBuffer>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "app/AppEnvironment.h"
#include "app/Settings.h"
#include "panel/ClipboardItemView.h"
#include "panel/FaviconLoader.h"
#include "panel/HistoryListView.h"
#include "panel/ImagePreviewCache.h"
#include "panel/OvelinView.h"
#include "panel/ResizeHandlesOverlay.h"
#include "panel/SearchBar.h"
#include "support/PrintedLines.h"
#include "support/TestMain.h"

#include "PanelTestSupport.h"

using namespace ovelin::test;

Q_DECLARE_METATYPE(Qt::Key)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

constexpr double baseDate = 800000000.0;

// The list as the user sees it after filtering, by text/file name, for readable comparisons.
QStringList describe(const QList<ClipboardItem>& items)
{
    QStringList out;
    for (const ClipboardItem& item : items) {
        switch (item.type().kind()) {
        case ClipboardItemKind::Text:
            out << item.type().text();
            break;
        case ClipboardItemKind::File:
            out << item.type().fileURL().fileName();
            break;
        case ClipboardItemKind::FileGroup:
            out << QStringLiteral("group:") + item.type().fileURLs().first().fileName();
            break;
        case ClipboardItemKind::Image:
            out << QStringLiteral("image");
            break;
        }
    }
    return out;
}

} // namespace

class TestOvelinView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ClipboardHistory> m_history;
    std::unique_ptr<OvelinView> m_view;
    RecordedActions m_recorded;

    // Items added oldest first, so the history shows them in reverse order.
    void fill(const QList<ClipboardItem>& oldestFirst)
    {
        for (const ClipboardItem& item : oldestFirst)
            m_history->addItem(item);
    }
    void fillTexts(const QStringList& oldestFirst)
    {
        double date = baseDate;
        for (const QString& text : oldestFirst)
            m_history->addItem(textItem(text, date += 10));
    }
    void showActive()
    {
        m_view->resize(400, 600);
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_view->listView()->animationFinishedForTests();
    }
    QLineEdit* field() const { return m_view->searchBar()->lineEdit(); }
    int selectedRow() const
    {
        const auto id = m_view->selectedItemID();
        return id ? m_view->listView()->historyModel()->rowOf(*id) : -1;
    }
    QPoint rowPoint(int row, bool menu = false) const
    {
        HistoryListView* list = m_view->listView();
        const ClipboardItem& item = list->historyModel()->itemAt(row);
        const auto g = list->rowDelegate()->geometry(item, list->visualRect(list->historyModel()->index(row)),
                                                     row, list->historyModel()->rowCount());
        return (menu ? g.menuButton.center() : g.content.center()).toPoint();
    }

private Q_SLOTS:
    void initTestCase()
    {
        FaviconLoader::shared().setNetworkEnabled(false);
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("clipboard_history.json")));
        Settings::shared().remove(SettingsKey::appearanceStyle);
        AppEnvironment::shared().reload();
        m_history = makeHistory(m_dir);
        m_view = std::make_unique<OvelinView>(*m_history);
        m_recorded = {};
        m_view->setItemActions(m_recorded.actions());
    }

    void cleanup()
    {
        m_view.reset();
        m_history.reset();
    }

    void filteredItems_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");
        const QStringList all{QStringLiteral("image"),         QStringLiteral("group:notes.txt"),
                              QStringLiteral("Report.pdf"),    QStringLiteral("café au lait"),
                              QStringLiteral("ÉCOLE normale"), QStringLiteral("monthly report")};
        QTest::newRow("empty shows everything") << QString() << all;
        QTest::newRow("whitespace only shows images too") << QStringLiteral("  \n\t ") << all;
        QTest::newRow("case folded on both sides")
            << QStringLiteral("REPORT")
            << QStringList{QStringLiteral("Report.pdf"), QStringLiteral("monthly report")};
        QTest::newRow("trimmed") << QStringLiteral("  report\n")
                                 << QStringList{QStringLiteral("Report.pdf"),
                                                QStringLiteral("monthly report")};
        QTest::newRow("group through any file")
            << QStringLiteral("budget") << QStringList{QStringLiteral("group:notes.txt")};
        QTest::newRow("full paths are not searched") << QStringLiteral("folder") << QStringList{};
        QTest::newRow("accents are not folded") << QStringLiteral("cafe") << QStringList{};
        QTest::newRow("accented search")
            << QStringLiteral("CAFÉ") << QStringList{QStringLiteral("café au lait")};
        QTest::newRow("unicode lowercasing")
            << QStringLiteral("école") << QStringList{QStringLiteral("ÉCOLE normale")};
        QTest::newRow("no word splitting") << QStringLiteral("monthly  report") << QStringList{};
        QTest::newRow("images hidden even when nothing matches") << QStringLiteral("zzz") << QStringList{};
    }
    void filteredItems()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, expected);
        fill({textItem(QStringLiteral("monthly report"), baseDate + 1),
              textItem(QStringLiteral("ÉCOLE normale"), baseDate + 2),
              textItem(QStringLiteral("café au lait"), baseDate + 3),
              fileItem(QStringLiteral("/tmp/folder/Report.pdf"), baseDate + 4),
              groupItem(
                  {QStringLiteral("/tmp/folder/notes.txt"), QStringLiteral("/tmp/folder/Budget 2024.xlsx")},
                  baseDate + 5),
              imageItem(QByteArray("not really an image"), baseDate + 6)});
        m_view->setSearchText(search);
        QCOMPARE(describe(m_view->filteredItems()), expected);
        QCOMPARE(describe(OvelinView::filterItems(m_history->history(), search)), expected);
        QCOMPARE(m_view->listView()->historyModel()->rowCount(), expected.size());
    }

    void arrowKeysMoveWithoutWrapping()
    {
        fillTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QCOMPARE(selectedRow(), 0);
        QTest::keyClick(field(), Qt::Key_Up);
        QCOMPARE(selectedRow(), 0);
        QTest::keyClick(field(), Qt::Key_Down);
        QCOMPARE(selectedRow(), 1);
        QTest::keyClick(field(), Qt::Key_Down);
        QTest::keyClick(field(), Qt::Key_Down);
        QTest::keyClick(field(), Qt::Key_Down);
        QCOMPARE(selectedRow(), 2);
        QTest::keyClick(field(), Qt::Key_Up);
        QCOMPARE(selectedRow(), 1);
        // Arrow keys never reach the field.
        QCOMPARE(field()->text(), QString());
    }

    void downWithNothingSelectedSelectsFirstThenSecond()
    {
        // A view built over a loaded history has no selection until something asks for one.
        fillTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
        m_history->storage().waitForPendingSaves();
        auto loaded = makeHistory(m_dir);
        OvelinView view(*loaded);
        view.setItemActions(m_recorded.actions());
        QVERIFY(!view.selectedItemID());
        view.moveSelection(+1);
        QCOMPARE(view.selectedItemID(), loaded->history().at(1).id());

        OvelinView other(*loaded);
        other.moveSelection(-1);
        QCOMPARE(other.selectedItemID(), loaded->history().at(0).id());
    }

    void newCaptureKeepsSelection()
    {
        fillTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QTest::keyClick(field(), Qt::Key_Down);
        const auto selected = m_view->selectedItemID();
        QCOMPARE(m_history->history().at(1).id(), *selected);
        m_history->addItem(textItem(QStringLiteral("new"), baseDate + 1000));
        QCOMPARE(m_view->selectedItemID(), selected);
        QCOMPARE(selectedRow(), 2);
    }

    void deletedSelectionFallsBackToFirst()
    {
        fillTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QTest::keyClick(field(), Qt::Key_Down);
        m_history->deleteItem(*m_view->selectedItemID());
        QCOMPARE(selectedRow(), 0);
    }

    void changedSearchSelectsFirstShownRow()
    {
        fillTexts({QStringLiteral("apple pie"), QStringLiteral("apple"), QStringLiteral("banana")});
        showActive();
        QTest::keyClick(field(), Qt::Key_Down);
        QTest::keyClick(field(), Qt::Key_Down);
        QCOMPARE(m_history->history().at(2).type().text(), QStringLiteral("apple pie"));
        QTest::keyClicks(field(), QStringLiteral("app"));
        // "apple pie" is still shown, yet the first shown row is selected.
        QCOMPARE(describe(m_view->filteredItems()),
                 (QStringList{QStringLiteral("apple"), QStringLiteral("apple pie")}));
        QCOMPARE(selectedRow(), 0);
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(m_recorded.pastes.size(), 1);
        QCOMPARE(m_recorded.pastes.first().id, m_history->history().at(1).id());
        QCOMPARE(m_recorded.pastes.first().trigger, PasteTrigger::Keyboard);
    }

    void returnOnEmptyListDoesNothing()
    {
        fillTexts({QStringLiteral("a")});
        showActive();
        QTest::keyClicks(field(), QStringLiteral("xyz"));
        QTest::keyClick(field(), Qt::Key_Return);
        QVERIFY(m_recorded.pastes.isEmpty());
        QVERIFY(m_view->isVisible());

        m_history->clearHistory();
        m_view->setSearchText(QString());
        QTest::keyClick(field(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(m_recorded.pastes.isEmpty());
        QVERIFY(m_view->isVisible());
    }

    void keyMonitor_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("pastes");
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("fieldText");
        const Qt::KeyboardModifiers none;
        QTest::newRow("Return") << Qt::Key_Return << none << 1 << 0 << false << QString();
        QTest::newRow("Shift-Return")
            << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1 << 0 << false << QString();
        QTest::newRow("keypad Enter")
            << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << 1 << 0 << false << QString();
        QTest::newRow("Control-Return")
            << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier) << 0 << 0 << false << QString();
        QTest::newRow("Super-Return")
            << Qt::Key_Return << Qt::KeyboardModifiers(Qt::MetaModifier) << 0 << 0 << false << QString();
        QTest::newRow("Escape") << Qt::Key_Escape << none << 0 << 0 << true << QString();
        QTest::newRow("Control-Escape")
            << Qt::Key_Escape << Qt::KeyboardModifiers(Qt::ControlModifier) << 0 << 0 << false << QString();
        QTest::newRow("Down") << Qt::Key_Down << none << 0 << 1 << false << QString();
        QTest::newRow("Shift-Down") << Qt::Key_Down << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0 << 1
                                    << false << QString();
        QTest::newRow("Alt-Down") << Qt::Key_Down << Qt::KeyboardModifiers(Qt::AltModifier) << 0 << 0 << false
                                  << QString();
        QTest::newRow("Control-Down")
            << Qt::Key_Down << Qt::KeyboardModifiers(Qt::ControlModifier) << 0 << 0 << false << QString();
        QTest::newRow("letter reaches the field")
            << Qt::Key_A << none << 0 << 0 << false << QStringLiteral("a");
        QTest::newRow("digit reaches the field")
            << Qt::Key_7 << none << 0 << 0 << false << QStringLiteral("7");
    }
    void keyMonitor()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, pastes);
        QFETCH(int, selectedRow);
        QFETCH(bool, hidden);
        QFETCH(QString, fieldText);
        fillTexts({QStringLiteral("a7 third"), QStringLiteral("a7 second"), QStringLiteral("a7 first")});
        showActive();
        PrintedLines printed;
        QTest::keyClick(field(), key, modifiers);
        QCOMPARE(m_recorded.pastes.size(), pastes);
        QCOMPARE(this->selectedRow(), selectedRow);
        QCOMPARE(!m_view->isVisible(), hidden);
        QCOMPARE(printed.count(QStringLiteral("🔴 Janela oculta")), hidden ? 1 : 0);
        QCOMPARE(field()->text(), fieldText);
    }

    void keysOfOtherWindowsPassThrough()
    {
        fillTexts({QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QLineEdit other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::keyClick(&other, Qt::Key_Return);
        QTest::keyClick(&other, Qt::Key_Down);
        QVERIFY(m_recorded.pastes.isEmpty());
        QCOMPARE(selectedRow(), 0);
    }

    void clickPastesRowWithoutChangingSelection()
    {
        fillTexts({QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QTest::mouseClick(m_view->listView()->viewport(), Qt::LeftButton, {}, rowPoint(2));
        QCOMPARE(m_recorded.pastes.size(), 1);
        QCOMPARE(m_recorded.pastes.first().id, m_history->history().at(2).id());
        QCOMPARE(m_recorded.pastes.first().trigger, PasteTrigger::RowClick);
        QCOMPARE(selectedRow(), 0);
    }

    void copyAgainFromMenuPastesNothing()
    {
        fillTexts({QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        QTest::mouseClick(m_view->listView()->viewport(), Qt::LeftButton, {}, rowPoint(1, true));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* copyAgain = menu->findChild<QAction*>(QStringLiteral("copy_again"));
        QVERIFY(copyAgain);
        copyAgain->trigger();
        menu->close();
        QCOMPARE(m_recorded.copies, QList<QUuid>{m_history->history().at(1).id()});
        QVERIFY(m_recorded.pastes.isEmpty());
        QVERIFY(m_view->isVisible());
    }

    void menuDeleteAndPinReachTheHistory()
    {
        fillTexts({QStringLiteral("b"), QStringLiteral("a")});
        showActive();
        const QUuid older = m_history->history().at(1).id();
        QTest::mouseClick(m_view->listView()->viewport(), Qt::LeftButton, {}, rowPoint(1, true));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        menu->findChild<QAction*>(QStringLiteral("pin_to_top"))->trigger();
        menu->close();
        QVERIFY(m_history->history().first().isPinned());
        QCOMPARE(m_history->history().first().id(), older);
        // The pin mark unpins.
        QTRY_VERIFY(!m_history->pinnedScrollTargetID());
        const auto* list = m_view->listView();
        const auto g = list->rowDelegate()->geometry(m_history->history().first(),
                                                     list->visualRect(list->historyModel()->index(0)), 0, 2);
        QVERIFY(!g.pinMark.isEmpty());
        QTest::mouseClick(m_view->listView()->viewport(), Qt::LeftButton, {}, g.pinMark.center().toPoint());
        QVERIFY(!m_history->history().first().isPinned());
        QVERIFY(m_recorded.pastes.isEmpty());
    }

    void pinChangeScrollsToTargetAndClearsIt()
    {
        QStringList texts;
        for (int i = 0; i < 40; ++i)
            texts << QStringLiteral("item %1").arg(i);
        fillTexts(texts);
        showActive();
        PrintedLines printed;
        const QUuid toPin = m_history->history().at(30).id();
        m_history->togglePin(toPin);
        const QUuid target = *m_history->pinnedScrollTargetID();
        QCOMPARE(m_view->listView()->verticalScrollBar()->value(), 0);
        QTRY_VERIFY(!m_history->pinnedScrollTargetID());
        QCOMPARE(printed.count(QStringLiteral("📌 Scroll para item fixado: ") +
                               target.toString(QUuid::WithoutBraces).toUpper()),
                 1);
        HistoryListView* list = m_view->listView();
        const int row = list->historyModel()->rowOf(target);
        QTRY_COMPARE(list->visualRect(list->historyModel()->index(row)).top(), 0);
    }

    void imageRowDrawsItsPreview()
    {
        QImage red(640, 400, QImage::Format_RGB32);
        red.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        red.save(&buffer, "PNG");
        fill({imageItem(png, baseDate), imageItem(QByteArray("garbage"), baseDate + 1)});
        showActive();
        HistoryListView* list = m_view->listView();
        QTRY_VERIFY(m_view->animateItemsOnAppear());
        list->animationFinishedForTests();
        (void)list->grab(); // the first paint asks for the previews
        list->imagePreviews()->waitForIdle();
        const QImage shot = list->grab().toImage();
        const auto rectOf = [list](int row) {
            return list->rowDelegate()
                ->geometry(list->historyModel()->itemAt(row),
                           list->visualRect(list->historyModel()->index(row)), row, 2)
                .image;
        };
        // 640 x 400 scaled into a 60-point-high frame: 96 points wide, from the frame's left edge.
        const QRectF decoded = rectOf(1);
        QCOMPARE(shot.pixelColor((decoded.topLeft() + QPointF(48, 30)).toPoint()), QColor(Qt::red));
        QVERIFY(shot.pixelColor((decoded.topLeft() + QPointF(140, 30)).toPoint()) != QColor(Qt::red));
        // Bytes that do not decode leave the area empty.
        const QRectF undecodable = rectOf(0);
        QVERIFY(shot.pixelColor((undecodable.topLeft() + QPointF(48, 30)).toPoint()) != QColor(Qt::red));
    }

    void renderedLineOnEveryRebuild()
    {
        PrintedLines printed;
        fillTexts({QStringLiteral("a")});
        m_view->setSearchText(QStringLiteral("x"));
        QCOMPARE(printed.count(QStringLiteral("🧩 OvelinView foi renderizada")), 2);
    }

    void appearAnimationStartsHiddenThenShowsRows()
    {
        fillTexts({QStringLiteral("a")});
        m_view->show();
        QVERIFY(!m_view->animateItemsOnAppear());
        QCOMPARE(m_view->listView()->appearProgress(0), 0.0);
        QTRY_VERIFY(m_view->animateItemsOnAppear());
        QTRY_COMPARE(m_view->listView()->appearProgress(3), 1.0);
    }

    void clearButtonEmptiesAndRefocusesField()
    {
        showActive();
        QWidget* clear = m_view->searchBar()->clearButton();
        QVERIFY(!clear->isVisible());
        QTest::keyClicks(field(), QStringLiteral("abc"));
        QVERIFY(clear->isVisible());
        clear->setFocus();
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(field()->text(), QString());
        QVERIFY(field()->hasFocus());
        QTRY_VERIFY(!clear->isVisible());
    }

    void resizeStripOnlyInModernStyle()
    {
        showActive();
        m_view->setResizeWindowHandler([](double, bool) { QFAIL("no resize in the classic style"); });
        QVERIFY(!m_view->resizeStrip()->isVisible());
        m_view->onDragChanged(100);
        m_view->onDragEnded(100);
        QCOMPARE(m_view->height(), 600);

        AppEnvironment::shared().setAppearanceStyle(AppearanceStyle::Modern);
        QVERIFY(m_view->resizeStrip()->isVisible());
        QList<std::pair<double, bool>> requests;
        m_view->setResizeWindowHandler([&](double h, bool persist) { requests.append({h, persist}); });
        m_view->onDragChanged(-50);
        QCOMPARE(m_view->height(), 550);
        m_view->onDragChanged(-1000);
        QCOMPARE(m_view->height(), AppEnvironment::minimumWindowHeight);
        m_view->onDragEnded(-1000);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first, 600.0 - 1000.0);
        QVERIFY(requests.first().second);
    }
};

OVELIN_TEST_MAIN(TestOvelinView)
#include "tst_ovelinview.moc"
