#include <QTest>

#include "activation/ShakeRecognizer.h"
#include "support/TestMain.h"

using namespace Qt::StringLiterals;

namespace {

// One synthetic pointer move: time, position, whether the modifier is held and the gesture is on.
struct Move
{
    double time;
    double x;
    double y = 0;
    bool held = true;
    bool enabled = true;
};
using Stream = QList<Move>;

} // namespace

Q_DECLARE_METATYPE(Move)

namespace {

// Feeds the moves with shift as the chosen modifier; the indexes of the moves that completed a shake.
QList<int> feed(ShakeRecognizer& recognizer, const Stream& moves)
{
    QList<int> shakes;
    for (int index = 0; index < moves.size(); ++index) {
        const Move& move = moves[index];
        const Qt::KeyboardModifiers held = move.held ? Qt::ShiftModifier : Qt::NoModifier;
        if (recognizer.handleMouseMoved(move.time, QPointF(move.x, move.y), held, move.enabled, u"shift"_s)) {
            shakes.append(index);
        }
    }
    return shakes;
}

// A start position, then alternating horizontal moves of `step` points `interval` seconds apart.
Stream zigzag(int moves, double step = 40, double start = 10.0, double interval = 0.1)
{
    Stream stream{{start, 500}};
    for (int index = 1; index <= moves; ++index) {
        stream.append({start + index * interval, index % 2 == 1 ? 500 + step : 500});
    }
    return stream;
}

} // namespace

class ShakeRecognizerTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void streams_data()
    {
        QTest::addColumn<Stream>("moves");
        QTest::addColumn<QList<int>>("shakes");

        QTest::newRow("four moves of 40 make three reversals") << zigzag(4) << QList<int>{4};
        QTest::newRow("three moves make only two reversals") << zigzag(3) << QList<int>{};
        QTest::newRow("moves of exactly 30 are not recorded") << zigzag(6, 30) << QList<int>{};
        QTest::newRow("moves of 30.5 are") << zigzag(4, 30.5) << QList<int>{4};
        QTest::newRow("spread over more than half a second") << zigzag(4, 40, 10, 0.2) << QList<int>{};

        // Samples at 10.5, 10.75, 10.875, 11.0: the first is exactly 0.5 s old at the last move.
        QTest::newRow("a sample exactly half a second old is kept")
            << Stream{{10, 500}, {10.5, 540}, {10.75, 500}, {10.875, 540}, {11.0, 500}} << QList<int>{4};
        QTest::newRow("a sample just over half a second old is dropped")
            << Stream{{10, 500}, {10.5, 540}, {10.75, 500}, {10.875, 540}, {11.0078125, 500}} << QList<int>{};

        // Vertical moves give a zero deltaX, which never forms a reversal.
        QTest::newRow("vertical moves in between break the chain")
            << Stream{{10, 500, 0},   {10.05, 540, 0}, {10.1, 540, 40}, {10.15, 500, 40},
                      {10.2, 500, 0}, {10.25, 540, 0}, {10.3, 540, 40}, {10.35, 500, 40}}
            << QList<int>{};

        Stream released = zigzag(3);
        released.append({10.35, 540, 0, false}); // the modifier let go mid-shake
        released.append({10.4, 500});
        released.append({10.45, 540});
        QTest::newRow("releasing the modifier forgets the partial shake") << released << QList<int>{};
        Stream switchedOff = zigzag(3);
        switchedOff.append({10.35, 540, 0, true, false}); // the gesture turned off mid-shake
        switchedOff.append({10.4, 500});
        QTest::newRow("switching the gesture off forgets the partial shake") << switchedOff << QList<int>{};

        Stream twice = zigzag(4);
        for (const Move& move : zigzag(4, 40, 10.5, 0.1)) {
            twice.append(move); // a second shake within 1.5 s of the first
        }
        for (const Move& move : zigzag(4, 40, 12.0, 0.1)) {
            twice.append(move); // and one after the cooldown: its first move only sets the start
        }
        QTest::newRow("a second shake within the cooldown is ignored") << twice << QList<int>{4, 14};
    }

    void streams()
    {
        QFETCH(Stream, moves);
        QFETCH(QList<int>, shakes);
        ShakeRecognizer recognizer;
        QCOMPARE(feed(recognizer, moves), shakes);
    }

    void historyHoldsOnlyTheLastHalfSecond()
    {
        ShakeRecognizer recognizer;
        // A long stream of samples one way only never shakes and never grows beyond the window.
        Stream stream;
        for (int index = 0; index < 1000; ++index) {
            stream.append({10 + index / 64.0, index * 40.0});
        }
        QVERIFY(feed(recognizer, stream).isEmpty());
        QCOMPARE(recognizer.movementHistory().size(), 33u); // ages 0 to 32/64 s
    }

    // Which setting takes which held modifier: every case is four moves of 40 that shake with shift.
    void modifierSetting()
    {
        const struct
        {
            QString setting;
            Qt::KeyboardModifiers held;
            bool recognised;
        } cases[] = {
            {u"shift"_s, Qt::ShiftModifier, true},
            {u"command"_s, Qt::MetaModifier, true}, // Super
            {u"option"_s, Qt::AltModifier, true},
            {u"control"_s, Qt::ControlModifier, false}, // not offered
            {u"command"_s, Qt::ShiftModifier, false},
            {u"shift"_s, Qt::ShiftModifier | Qt::ControlModifier, true}, // extra modifiers do not matter
            {u"Shift"_s, Qt::ShiftModifier, false},
            {QString(), Qt::ShiftModifier, false},
        };
        for (const auto& c : cases) {
            ShakeRecognizer recognizer;
            bool last = false;
            for (const Move& move : zigzag(4))
                last =
                    recognizer.handleMouseMoved(move.time, QPointF(move.x, move.y), c.held, true, c.setting);
            QVERIFY2(last == c.recognised, qPrintable(c.setting));
        }
    }
};

OVELIN_TEST_GUILESS_MAIN(ShakeRecognizerTest)
#include "tst_ShakeRecognizer.moc"
