#include <QTest>

#include "PrintedLines.h"
#include "TestMain.h"
#include "platform/ClipboardSnapshotBuilder.h"

using namespace Qt::StringLiterals;
using Outcome = ClipboardTransfer::Outcome;

namespace {

// A snapshot in one line, for comparisons: "concealed", "empty", or its forms joined by '|'
// ("uris=<a> <b>", "text=", "rtf=", "html=", "image=<base64>").
QString describe(const ClipboardSnapshot& snapshot)
{
    if (snapshot.concealed)
        return QStringLiteral("concealed");
    QStringList parts;
    if (!snapshot.uriList.isEmpty())
        parts << QStringLiteral("uris=") + snapshot.uriList.join(u' ');
    if (snapshot.text)
        parts << QStringLiteral("text=") + *snapshot.text;
    if (snapshot.rtf)
        parts << QStringLiteral("rtf=") + QString::fromUtf8(*snapshot.rtf);
    if (snapshot.html)
        parts << QStringLiteral("html=") + QString::fromUtf8(*snapshot.html);
    if (snapshot.image)
        parts << QStringLiteral("image=") + QString::fromLatin1(snapshot.image->toBase64());
    return parts.isEmpty() ? QStringLiteral("empty") : parts.join(u'|');
}

// An owner in memory: "format->bytes" offers bytes, "format->refused" and "format->interrupted"
// answer with that outcome.
class FakeTransfer : public ClipboardTransfer
{
public:
    explicit FakeTransfer(const QStringList& offers)
    {
        for (const QString& offer : offers) {
            const qsizetype arrow = offer.indexOf(u"->"_s);
            const QString format = arrow < 0 ? offer : offer.left(arrow);
            const QString answer = arrow < 0 ? QString() : offer.mid(arrow + 2);
            m_offers.append({format, answer.isEmpty() ? u"<"_s + format + u">"_s : answer});
        }
    }

    std::optional<QStringList> formats(Outcome* outcome) override
    {
        *outcome = Outcome::Done;
        QStringList names;
        for (const auto& [format, answer] : m_offers)
            names << format;
        return names;
    }

    Result fetch(const QString& format) override
    {
        fetched << format;
        for (const auto& [name, answer] : m_offers) {
            if (name != format)
                continue;
            static const QHash<QString, Outcome> failures{{u"refused"_s, Outcome::Refused},
                                                          {u"interrupted"_s, Outcome::Interrupted}};
            if (failures.contains(answer))
                return {failures.value(answer), {}};
            return {Outcome::Done, format == u"STRING" ? answer.toLatin1() : answer.toUtf8()};
        }
        return {Outcome::Refused, {}};
    }

    QStringList fetched;

private:
    QList<std::pair<QString, QString>> m_offers;
};

} // namespace

class TestClipboardSnapshotBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsTheSnapshotAndStopsAtTheFirstSignOfTrouble_data()
    {
        QTest::addColumn<QStringList>("offers");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("fetched");

        QTest::newRow("every form, the first image format offered")
            << QStringList{u"TARGETS"_s,
                           u"text/uri-list-># c\r\nfile:///a\r\n\r\nfile:///b"_s,
                           u"UTF8_STRING->plain"_s,
                           u"application/rtf->R"_s,
                           u"text/html->H"_s,
                           u"image/jpeg->J"_s,
                           u"image/png->P"_s}
            << u"uris=file:///a file:///b|text=plain|rtf=R|html=H|image=UA=="_s
            << QStringList{u"text/uri-list"_s, u"UTF8_STRING"_s, u"application/rtf"_s, u"text/html"_s,
                           u"image/png"_s};
        QTest::newRow("Latin-1 STRING when no UTF-8 form is offered")
            << QStringList{u"STRING->caf\u00e9"_s} << u"text=caf\u00e9"_s << QStringList{u"STRING"_s};
        QTest::newRow("a refused form does not stop the rest")
            << QStringList{u"text/plain;charset=utf-8->refused"_s, u"UTF8_STRING->second"_s}
            << u"text=second"_s << QStringList{u"text/plain;charset=utf-8"_s, u"UTF8_STRING"_s};
        QTest::newRow("a hint other than secret conceals nothing")
            << QStringList{u"x-kde-passwordManagerHint->public"_s, u"UTF8_STRING->t"_s} << u"text=t"_s
            << QStringList{u"x-kde-passwordManagerHint"_s, u"UTF8_STRING"_s};
        QTest::newRow("a change of owner mid-read: nothing kept, nothing printed")
            << QStringList{u"UTF8_STRING->t"_s, u"text/html->interrupted"_s, u"image/png->P"_s} << u"empty"_s
            << QStringList{u"UTF8_STRING"_s, u"text/html"_s};
    }
    void buildsTheSnapshotAndStopsAtTheFirstSignOfTrouble()
    {
        QFETCH(QStringList, offers);
        QFETCH(QString, expected);
        QFETCH(QStringList, fetched);

        ovelin::test::PrintedLines printed;
        FakeTransfer transfer(offers);
        QCOMPARE(describe(ClipboardSnapshotBuilder::build(transfer)), expected);
        QCOMPARE(transfer.fetched, fetched);
        QCOMPARE(printed.lines(), QStringList()); // none of these is worth a line
    }
};

OVELIN_TEST_GUILESS_MAIN(TestClipboardSnapshotBuilder)
#include "tst_clipboardsnapshotbuilder.moc"
