#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "TestMain.h"
#include "preferences/AlertPresenter.h"

using namespace Qt::StringLiterals;

class AlertPresenterTest : public QObject
{
    Q_OBJECT

private:
    static QMessageBox* openBox()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

private Q_SLOTS:
    void reportsTheChosenButton_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        QTest::newRow("cancel button") << u"Cancel"_s << 0;
        QTest::newRow("destructive button") << u"Clear"_s << 1;
        QTest::newRow("Escape counts as cancel") << u"escape"_s << 0;
    }

    void reportsTheChosenButton()
    {
        QFETCH(QString, how);
        QFETCH(int, expected);
        QWidget parent;
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        Alert alert;
        alert.title = u"Clear History"_s;
        alert.message = u"<b>not markup</b>"_s;
        alert.buttons = {{u"Cancel"_s, Alert::Role::Cancel}, {u"Clear"_s, Alert::Role::Destructive}};
        int answer = -2;
        MessageBoxAlertPresenter presenter;
        presenter.present(&parent, alert, [&answer](int choice) { answer = choice; });

        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openBox()));
        QCOMPARE(answer, -2); // the caller is not blocked
        QCOMPARE(box->text(), alert.title);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        if (how == u"escape") {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == how)
                    button->click();
            }
        }
        QTRY_COMPARE(answer, expected);
        QTRY_VERIFY(!openBox());
    }
};

OVELIN_TEST_MAIN(AlertPresenterTest)
#include "tst_alertpresenter.moc"
