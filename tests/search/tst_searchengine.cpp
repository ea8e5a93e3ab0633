#include "DomainFixture.h"
#include "core/DataFiles.h"
#include "core/RecordFile.h"
#include "core/TextCodec.h"
#include "search/PickList.h"
#include "search/RecordScan.h"
#include "search/SearchEngine.h"
#include "search/SearchHistory.h"

#include <QRandomGenerator>

using Kind = SearchHit::Kind;
using Text = RecordScan::Text;

namespace {

QString describe(const SearchHit& hit)
{
    if (!hit.found())
        return u"none"_s;
    return u"%1 %2/%3 %4"_s.arg(hit.kind == Kind::Text ? "TEXT" : "MACRO")
        .arg(hit.box)
        .arg(hit.number)
        .arg(hit.text);
}

QList<int> keys(const QList<RecordScan::Hit>& hits)
{
    QList<int> found;
    for (const RecordScan::Hit& hit : hits)
        found << hit.key;
    return found;
}

QString firstLine(const QString& text)
{
    return text.left(text.indexOf(u'\r'));
}

// The plain algorithm: every position and macro read on its own through RecordFile. Repeated
// finds must show exactly these hits in this order, then run out; findAll() the same with the
// first line of each text.
QStringList plainWalk(
    const QString& folder, const QString& needle, const SearchOptions& options, bool firstLines)
{
    const Qt::CaseSensitivity cs = options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QStringList hits;
    for (const bool macros : {false, true}) {
        for (int b = 1; b <= 99 && (macros ? options.macros : options.texts); ++b) {
            const QString file = macros ? DataFiles::macroFile(folder, b) : DataFiles::boxFile(folder, b);
            for (int q = 1; q <= 99 && QFileInfo::exists(file) && (!options.onlyBox || options.onlyBox == b);
                 ++q) {
                const QString text = *RecordFile::readRecord(file, q);
                if (!text.isEmpty() && text.contains(needle, cs))
                    hits << describe(
                        {macros ? Kind::Macro : Kind::Text, b, q, firstLines ? firstLine(text) : text});
            }
        }
    }
    return hits << (hits.isEmpty() ? u"nothing"_s : u"ran out"_s);
}

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

    std::unique_ptr<DomainFixture> f;

    void box(int b, const QByteArray& records)
    {
        TestFiles::write(DataFiles::boxFile(f->folder(), b), TestFiles::marked(records));
    }
    void macros(int b, const QByteArray& records)
    {
        TestFiles::write(DataFiles::macroFile(f->folder(), b), TestFiles::marked(records));
    }
    // Every hit repeated finds show, then the outcome of the find that ran out.
    QStringList walk(SearchEngine& engine, const QString& needle, const SearchOptions& options = {})
    {
        QStringList shown;
        for (int guard = 0; guard < 2000; ++guard) {
            const SearchEngine::Outcome outcome = engine.find(needle, options);
            if (!outcome.hit.found()) {
                shown << (outcome.ranOut ? u"ran out"_s : u"nothing"_s);
                return shown;
            }
            shown << describe(outcome.hit);
        }
        shown << u"endless"_s;
        return shown;
    }

private slots:
    void init() { f = std::make_unique<DomainFixture>(); }

    void findsTextsThenMacrosInOrderAndStartsOverAfterTheLast()
    {
        box(2, "05|a cat\r\n01|Cat one\r\n");
        box(7, "03|dog\r\n02|the CAT\r\nsecond line\r\n");
        macros(1, "04|Name cat>body\r\n");
        macros(3, "09|n>concatenate\r\n");
        SearchEngine engine(f->folder());
        const QStringList expected {"TEXT 2/1 Cat one", "TEXT 2/5 a cat", "TEXT 7/2 the CAT\r\nsecond line",
            "MACRO 1/4 Name cat>body", "MACRO 3/9 n>concatenate", "ran out"};
        QCOMPARE(walk(engine, "cat"), expected);
        // The sequence starts again from the beginning.
        QCOMPARE(walk(engine, "cat"), expected);
        QCOMPARE(engine.textHitBox() + engine.macroHitNumber(), 0);

        QCOMPARE(walk(engine, "cat", {true, false}), expected.mid(0, 3) + QStringList {"ran out"});
        QCOMPARE(walk(engine, "cat", {false, false, false, 0}), QStringList {"nothing"});
        QCOMPARE(engine.find("cat", {false, false}).searched, false);
        QCOMPARE(walk(engine, "wolf"), QStringList {"nothing"});
    }

    // The quick pick: one box's stored items unfiltered; filtered, the hits of every box,
    // capped but counted; of filters asked for while one is read, only the newest answers, and
    // a choice made meanwhile waits for its rows.
    void pickListsOneBoxOrFiltersEveryBox()
    {
        box(3, "02|Dear Sir\r\nsecond\r\n07|kind REGARDS\r\n");
        box(5, "01|regards, Ann\r\n");
        macros(3, "04|Sign>Regards{ENTER}\r\n");
        const auto labels = [this](const QString& filter) {
            QStringList shown;
            for (const SearchHit& hit : PickList::read(f->folder(), filter, 3).hits)
                shown << PickList::label(hit, !filter.isEmpty());
            return shown;
        };
        QCOMPARE(labels({}), (QStringList {"2  Dear Sir", "7  kind REGARDS", "M 4  Sign"}));
        QCOMPARE(labels("rEgArDs"),
            (QStringList {"Box 3  7  kind REGARDS", "Box 5  1  regards, Ann", "Box 3  M 4  Sign"}));
        QByteArray full;
        for (int p = 1; p <= 99; ++p)
            full += u"%1|x\r\n"_s.arg(p, 2, 10, QChar(u'0')).toLatin1();
        for (int b = 10; b <= 12; ++b)
            box(b, full);
        const PickList::Rows capped = PickList::read(f->folder(), "X", 3);
        QCOMPARE(capped.hits.size(), PickList::kMaxRows);
        QCOMPARE(capped.total, 297);

        PickList list;
        QStringList answered;
        connect(&list, &PickList::listed, this,
            [&](const PickList::Rows& rows) { answered << u"%1:%2"_s.arg(rows.filter).arg(rows.total); });
        for (const char* typed : {"r", "re", "reg", "rega"})
            list.request(f->folder(), typed, 3);
        list.afterListed([&] { answered << u"chosen"_s; });
        QTRY_VERIFY(!list.isPending());
        QCOMPARE(answered, (QStringList {"rega:3", "chosen"}));
    }

    void continuesAfterADeletedHit()
    {
        box(1, "01|lamp\r\n02|lamp\r\n03|lamp\r\n");
        SearchEngine engine(f->folder());
        QCOMPARE(engine.find("lamp", {}).hit.number, 1);
        QCOMPARE(engine.find("lamp", {}).hit.number, 2);
        QVERIFY(RecordFile::writeRecord(DataFiles::boxFile(f->folder(), 1), 2, QString()));
        QCOMPARE(engine.find("lamp", {}).hit.number, 3);
        // A text stored behind the last hit meanwhile is found as well.
        QVERIFY(RecordFile::writeRecord(DataFiles::boxFile(f->folder(), 1), 9, "lamp"));
        QCOMPARE(engine.find("lamp", {}).hit.number, 9);
    }

    void historyKeepsNineNewestDistinctFromTheTop()
    {
        {
            SearchHistory history(f->settings);
            QCOMPARE(history.entries(), QStringList(9));
            QVERIFY(history.add("one"));
            QVERIFY(!history.add("one"));
            QVERIFY(history.add("One"));
            QVERIFY(history.add(""));
            QVERIFY(history.add("one"));
            for (int i = 0; i < 8; ++i)
                history.add(QString::number(i));
            QCOMPARE(history.entries().size(), 9 + 12);
            QVERIFY(history.store().ok());
        }
        SearchHistory reread(f->settings);
        QCOMPARE(reread.entries(), (QStringList {"7", "6", "5", "4", "3", "2", "1", "0", "one"}));
    }

    // The byte search tests 64 starting positions at a time, then the rest one by one: a hit at
    // every offset of two blocks, up to the very end of the file, is found.
    void findsAHitAtEveryOffset()
    {
        for (int pad = 0; pad < 140; ++pad) {
            for (const QByteArray& end : {QByteArray(), QByteArray("\r\n")}) {
                const QByteArray file = "01!\xAC:" + QByteArray(pad, 'y')
                    + "NE\xC9"
                      "DLE"
                    + end;
                const RecordScan::Hit hit
                    = RecordScan(u"ne\u00E9dle"_s, Qt::CaseInsensitive).firstHitIn(file, 0);
                QVERIFY2(
                    hit.key == 1 && hit.text.endsWith(u"NE\u00C9DLE"_s), qPrintable(QString::number(pad)));
            }
        }
    }

    // Random boxes and macro files, with every oddity the record format allows, searched by the
    // engine and by the plain algorithm: both must show the same hits in the same order. The words
    // hold letters whose case folds beyond ASCII (in Windows-1252 and UTF-8 files alike), letters
    // without a simple other case, and characters a pattern language would read specially.
    void matchesThePlainAlgorithm()
    {
        QRandomGenerator random(20261207);
        const QStringList words {"alpha", "ALPHA", "Alpha", "caf\u00E9", "CAF\u00C9", "\u0161", "\u0160", "x",
            "x!", "\u00B5", "\u03BC", "K", "\u212A", "\u65E5", "a\nb", "\u00AC", "!", ":", "0", "12",
            "\u0178", "\u00FF", "\u0130", "I", "a.*b[c]"};
        // Every other box holds only words Windows-1252 has, so that its files can be stored so.
        QStringList narrow = words;
        narrow.removeIf([](const QString& word) { return !TextCodec::fitsWindows1252(word); });
        const QStringList lineEnds {"\r\n", "\r\n", "\r\n", "\r", "\n"};
        int b = 0;
        auto text = [&] {
            QString t;
            const int parts = random.bounded(5);
            const QStringList& from = b % 2 ? words : narrow;
            for (int i = 0; i < parts; ++i) {
                t += from[random.bounded(from.size())];
                t += random.bounded(3) == 0 ? lineEnds[random.bounded(5)] : u" "_s;
            }
            return t;
        };
        for (int round = 0; round < 2; ++round) {
            QDir(f->folder()).removeRecursively();
            QDir().mkpath(f->folder());
            for (b = 1; b <= 12; ++b) {
                for (const bool isMacro : {false, true}) {
                    if (random.bounded(4) == 0)
                        continue; // a missing file
                    QString content
                        = random.bounded(6) == 0 ? text() + "\r\n" : QString(); // before any header
                    const int count = random.bounded(8);
                    for (int i = 0; i < count; ++i) {
                        const int key = random.bounded(7) == 0 ? 0 : 1 + random.bounded(12); // 00 and repeats
                        content += RecordFile::keyText(key) + RecordFile::kMarker;
                        if (isMacro)
                            content += text() + u'>';
                        content += text();
                        content += lineEnds[random.bounded(4)];
                    }
                    const int form = random.bounded(3);
                    const QByteArray bytes = form == 0                     ? TextCodec::encode(content)
                        : form == 1 && TextCodec::fitsWindows1252(content) ? TextCodec::toWindows1252(content)
                                                                           : content.toUtf8();
                    const QString file
                        = isMacro ? DataFiles::macroFile(f->folder(), b) : DataFiles::boxFile(f->folder(), b);
                    QVERIFY(TestFiles::write(file, bytes));
                }
            }
            for (const QString& needle :
                words + QStringList {"", "ALPHA CAF", "\r\n", "a\r\nb", "!\u00AC:", ".*b["}) {
                for (const SearchOptions& options : {SearchOptions {}, SearchOptions {true, true, true, 0},
                         SearchOptions {true, true, false, 3}, SearchOptions {false, true, true, 0}}) {
                    SearchEngine engine(f->folder());
                    QCOMPARE(walk(engine, needle, options), plainWalk(f->folder(), needle, options, false));
                    QStringList all;
                    engine.findAll(needle, options, [&](const SearchHit& hit) { all << describe(hit); });
                    all << (all.isEmpty() ? u"nothing"_s : u"ran out"_s);
                    QCOMPARE(all, plainWalk(f->folder(), needle, options, true));
                }
                // Files read in pieces of a few bytes: a needle or a character across two pieces
                // is seen whole.
                for (int b = 1; b <= 12; ++b) {
                    const QString file = DataFiles::boxFile(f->folder(), b);
                    const QByteArray bytes = TestFiles::read(file);
                    const auto whole
                        = RecordScan(needle, Qt::CaseInsensitive).hitsIn(bytes, 0, 99, Text::Whole);
                    for (const int piece : {1, 5}) {
                        const auto hits
                            = RecordScan(needle, Qt::CaseInsensitive, piece).hits(file, 0, 99, Text::Whole);
                        QVERIFY(hits.ok());
                        QCOMPARE(keys(*hits), keys(whole));
                    }
                }
            }
        }
    }
};

TRELLIN_TEST_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
