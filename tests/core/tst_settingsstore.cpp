#include "DataColumns.h"
#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/FolderLock.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QProcess>
#include <QSignalSpy>

#include <dlfcn.h>

namespace {
QStringList g_synced;
}

// Every fsync of this process passes here, so a test sees which files were made durable: the
// name an open file has at the moment of its sync.
extern "C" int fsync(int fd)
{
    const QString link = u"/proc/self/fd/%1"_s.arg(fd);
    g_synced.append(QFileInfo(link).symLinkTarget());
    using Sync = int (*)(int);
    static const auto realSync = reinterpret_cast<Sync>(::dlsym(RTLD_NEXT, "fsync"));
    return realSync(fd);
}

// The settings file, the record files of boxes and macros and the text encoding they are stored
// in, and how every data file is written safely: a temporary synced before it replaces the file.
class TestSettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    void setFile(const QByteArray& content) { QVERIFY(TestFiles::write(m_path, content)); }
    QByteArray bytes() const { return TestFiles::read(m_path); }
    QString read(const char* s, const char* k) const { return IniFile::read(m_path, s, k, "default"); }
    bool write(const char* s, const char* k, QString v) const { return IniFile::write(m_path, s, k, v).ok(); }

    std::unique_ptr<DomainFixture> m_fx;
    QString m_file;
    static inline const QByteArray M {"!\xAC:"}; // the record marker in Windows-1252

    void put(const QByteArray& content) { QVERIFY(TestFiles::write(m_file, content)); }
    QByteArray records() const { return TestFiles::read(m_file); }
    bool write(int key, const QString& text) { return RecordFile::writeRecord(m_file, key, text).ok(); }
    QString read(int key) const
    {
        const Result<QString> text = RecordFile::readRecord(m_file, key);
        return !text ? u"error: "_s + text.error() : text->isEmpty() ? u"default"_s : *text;
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        m_fx = std::make_unique<DomainFixture>();
        m_file = m_fx->folder() + u"MoxenoTrellin1.txt"_s;
    }

    // Names in any case, blanks and quotes trimmed, Windows-1252 text; only the first of two
    // sections with the same name counts.
    void reads()
    {
        setFile("; comment\r\n[Settings]\r\nBoxNo=7\r\nLeft = 120 \r\nEmpty=\r\nQuoted=\"a b\"\r\n"
                "Q=\"\"\r\n[Defaults]\r\nDataPath=/data/\r\n[settings]\r\nBoxNo=99\r\nTop=1\r\n[MX]\r\n"
                "MX1=Caf\xE9\r\n");
        const QStringList got {read("SETTINGS", "boxno"), read("Settings", "Left"), read("Settings", "Empty"),
            read("Settings", "Quoted"), read("Settings", "Q"), read("Settings", "Top"),
            read("Defaults", "BoxNo"), read("MX", "MX1")};
        QCOMPARE(got, (QStringList {"7", "120", "", "a b", "", "default", "default", "Caf\u00E9"}));
        QFile::remove(m_path);
        QCOMPARE(read("Settings", "BoxNo"), u"default"_s);
    }

    // Line breaks are stored as blanks one for one. Values are stored whole but read as at most
    // 254 characters, defaults too. A folder that cannot be made (a file in its place, which
    // stops root too) fails the write.
    void writeCreatesFileAndValueRules()
    {
        m_path = m_dir.filePath(u"new/folder/MoxenoTrellin.ini"_s);
        QVERIFY(write("Settings", "BoxNo", u"3"_s));
        QVERIFY(write("Search", "0", u"a\r\nb\nc"_s));
        QVERIFY(write("Settings", "Left", u"36"_s));
        QCOMPARE(bytes(), QByteArray("[Settings]\r\nBoxNo=3\r\nLeft=36\r\n[Search]\r\n0=a  b c\r\n"));

        const QString longValue(300, u'x');
        QVERIFY(write("Settings", "Long", longValue));
        QVERIFY(bytes().contains(longValue.toLatin1()));
        QCOMPARE(read("Settings", "Long"), longValue.left(254));
        QCOMPARE(IniFile::read(m_path, "X", "Y", longValue).size(), 254);
        QVERIFY(write("Search", "1", u"\u65E5\u672C"_s));
        QCOMPARE(read("Search", "1"), u"\u65E5\u672C"_s);

        const QByteArray before = bytes();
        const Result<> written = IniFile::write(m_path + u"/below.ini"_s, "S", "K", "V");
        QVERIFY(!written && !written.error().isEmpty() && bytes() == before);
    }

    // A write changes one line or adds one; every other line keeps its bytes, garbage included.
    void writeReplacesInPlaceAndKeepsOtherLines()
    {
        setFile("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=1\n  ; keep "
                "me\nTop=5\n\n[Unknown]\nx=y\n");
        QVERIFY(write("Settings", "BoxNo", u"12"_s));
        QVERIFY(write("Settings", "Left", u"99"_s));
        QCOMPARE(bytes(),
            QByteArray("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=12\n  ; keep me\n"
                       "Top=5\nLeft=99\r\n\n[Unknown]\nx=y\n"));

        const char raw[]
            = "\x00\xFF[[[\n=novalue\n]\n[Settings\nBoxNo=bad\n[Settings]\nBoxNo=4\n\xC3\x28 junk\n";
        const QByteArray garbage(raw, sizeof raw - 1); // with its leading NUL
        setFile(garbage);
        QCOMPARE(read("Settings", "BoxNo"), u"4"_s);
        QVERIFY(write("Settings", "BoxNo", u"5"_s));
        QCOMPARE(bytes(), QByteArray(garbage).replace("BoxNo=4", "BoxNo=5"));
    }

    // A last line without a line end gets one before a key or a section is added after it.
    void writeAfterLastLineWithoutLineEnd()
    {
        for (const auto& [section, key, after] :
            {std::tuple {"Settings", "Left", "Left=36\r\n"}, {"Search", "0", "[Search]\r\n0=36\r\n"}}) {
            setFile("[Settings]\r\nBoxNo=1");
            QVERIFY(write(section, key, u"36"_s));
            QCOMPARE(bytes(), "[Settings]\r\nBoxNo=1\r\n" + QByteArray(after));
        }
    }

    // A window edge must leave the title bar on the screens (19200 twips wide here, starting at
    // 0): beyond either end, or no number, gives 36, or the caller's own value past the far end.
    // A clip colour of 0 means none, one beyond 0xFFFFFF the default. Every write is announced.
    void typedValues()
    {
        SettingsStore store(m_dir.filePath(u"data"_s), m_dir.filePath(u"config"_s));
        Settings settings(store);
        QSignalSpy changed(&settings, &Settings::changed);
        // Inside (19200 - 1500), past the far end, far past it, too small for an int, no number.
        for (const auto& [stored, edge] :
            {std::pair {"17700", 17700}, {"17701", 336}, {"1e20", 336}, {"-1e20", 36}, {"left", 36}}) {
            QVERIFY(settings.setText(Settings::Key::OverwriteLeft, QString::fromLatin1(stored)).ok());
            QCOMPARE(settings.edge(Settings::Key::OverwriteLeft, 0, 19200, 336), edge);
        }
        QCOMPARE(store.readValue("Settings", "FmOWLeft", "none"), u"left"_s);

        QVERIFY(settings.setText(Settings::Key::ClipColour, u"0"_s).ok());
        QCOMPARE(settings.colour(Settings::Key::ClipColour), std::nullopt);
        QVERIFY(settings.setText(Settings::Key::ClipColour, u"99999999"_s).ok());
        QCOMPARE(settings.colour(Settings::Key::ClipColour),
            std::optional<unsigned>(Settings::kDefaultClipColour));
        QCOMPARE(changed.count(), 7);
    }

    // Held, the file is read once: another program's change shows after a write through the
    // store or the end of the hold, and what the store writes reads back at once.
    void heldContent()
    {
        SettingsStore store(m_dir.filePath(u"held"_s), m_dir.filePath(u"held"_s));
        m_path = store.iniPath();
        store.holdContent(true);
        QCOMPARE(store.readValue("Settings", "BoxNo", "none"), u"none"_s);
        setFile("[Settings]\r\nBoxNo=4\r\n");
        QCOMPARE(store.readValue("Settings", "BoxNo", "none"), u"none"_s);
        QVERIFY(store.writeValue("Settings", "DataPath", "/b/").ok());
        QCOMPARE(store.readValue("Settings", "DataPath", ""), u"/b/"_s);
        QCOMPARE(store.readValue("Settings", "BoxNo", "none"), u"4"_s);
        setFile("[Settings]\r\nBoxNo=5\r\n");
        store.holdContent(false);
        QCOMPARE(store.readValue("Settings", "BoxNo", "none"), u"5"_s);
    }

    // The settings file lives in the configuration folder unless one sits in the data folder,
    // which is looked for at every access. A relative XDG_DATA_HOME is ignored.
    void iniPathPrefersDataRootAndXdgFolders()
    {
        SettingsStore store(m_dir.filePath(u"data"_s), m_dir.filePath(u"config"_s));
        QVERIFY(store.writeValue("Settings", "BoxNo", "2").ok());
        QVERIFY(QFileInfo::exists(m_dir.filePath(u"config/MoxenoTrellin.ini"_s)));
        m_path = m_dir.filePath(u"data/MoxenoTrellin.ini"_s);
        setFile("[Settings]\r\nBoxNo=9\r\n");
        QCOMPARE(store.iniPath(), m_path);
        QCOMPARE(store.readValue("Settings", "BoxNo", ""), u"9"_s);
        QFile::remove(m_path);
        QCOMPARE(store.readValue("Settings", "BoxNo", ""), u"2"_s);

        const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
        QCOMPARE(Paths::configFolder(), home + u"/.config/MoxenoTrellin/"_s);
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "relative/ignored");
        QCOMPARE(Paths::defaultDataFolder(), home + u"/.local/share/MoxenoTrellin/"_s);
        qputenv("XDG_DATA_HOME", saved);
    }

    // Both rewrites sync the temporary to disk while it still has its temporary name, that is
    // before it replaces the file, and then the folder that holds the rename.
    void syncsTheTemporaryBeforeTheRename()
    {
        g_synced.clear();
        QVERIFY(TextFile::writeAtomically(path("synced"), "new").ok());
        QCOMPARE(g_synced, (QStringList {TextFile::temporaryPath(path("synced")), m_dir.path()}));
        g_synced.clear();
        QVERIFY(TextFile::replaceUserFile(path("notes.txt"), "new").ok());
        QCOMPARE(g_synced.size(), 2);
        QVERIFY2(g_synced[0].startsWith(path(".notes.txt.")) && g_synced[0].endsWith(".tmp"),
            qPrintable(g_synced[0]));
        QCOMPARE(g_synced[1], m_dir.path());
    }

    void lockHeldElsewhereTimesOutWithMessage()
    {
        const QString lockFile = m_dir.filePath(FolderLock::lockFileName());
        QProcess holder;
        // One process from start to end (exec), so killing it releases the lock.
        holder.start(u"sh"_s, {u"-c"_s, u"exec 9>'%1'; flock 9; echo held; exec sleep 60"_s.arg(lockFile)});
        QVERIFY(holder.waitForReadyRead(kSlowMachineMs));
        {
            FolderLock lock(m_dir.path(), 200);
            QVERIFY(!lock.isLocked());
            QVERIFY2(lock.errorString().contains(lockFile), qPrintable(lock.errorString()));
        }
        holder.kill();
        holder.waitForFinished();
        QVERIFY(FolderLock(m_dir.path(), kSlowMachineMs).isLocked());
    }

    // A rewrite keeps every byte of the other records, whatever they look like, and the record
    // reads back as written (or as readBack, when given). "|" stands for the record marker.
    void writesAndReadsBack_data()
    {
        addColumns<QByteArray, int, QString, QByteArray, QString>(
            {"before", "key", "text", "after", "readBack"});
        const auto row = [](const char* name, const char* before, int key, const QString& text,
                             const char* after, const char* readBack = nullptr) {
            QTest::newRow(name) << TestFiles::marked(before) << key << text << TestFiles::marked(after)
                                << (readBack                ? QString::fromUtf8(readBack)
                                           : text.isEmpty() ? "default"
                                                            : text);
        };
        row("new file: blank lines and every line end kept, a lone CR reads back as CR LF", "", 8,
            "a\r\n\r\nb\nc\rd\r\n", "08|a\r\n\r\nb\nc\rd\r\n\r\n", "a\r\n\r\nb\nc\r\nd\r\n");
        row("a rewritten record moves to the end with its continuation lines", "05|a\r\nb\r\n09|c\r\nd\r\n",
            5, "x", "09|c\r\nd\r\n05|x\r\n");
        row("stray lines before the first header survive, empty text removes", "stray\r\nx\r\n02|two\r\n", 2,
            "", "stray\r\nx\r\n");
        row("removing a missing key normalises line ends", "05|a\nb\r09|c", 7, "", "05|a\nb\r\n09|c\r\n");
        row("key 7 leaves keys 00 and 17 alone", "00|zero\r\n17|x\r\n", 7, "seven",
            "00|zero\r\n17|x\r\n07|seven\r\n");
        row("damaged keys and short lines are kept", "ab|x\r\n01|a\r\n!\xAC\r\n", 2, "b",
            "ab|x\r\n01|a\r\n!\xAC\r\n02|b\r\n");
        row("a damaged header ends the record before it; its lines stay with every rewrite",
            "01|one\r\n 5|five\r\nmore\r\n05|real\r\n", 1, "x", " 5|five\r\nmore\r\n05|real\r\n01|x\r\n");
        row("a second record of a key follows the new one, hidden as before",
            "05|a\r\n09|c\r\n05|b\r\nb2\r\n", 5, "x", "09|c\r\n05|x\r\n05|b\r\nb2\r\n");
        row("removing the first record of a key shows the second", "05|a\r\n05|b\r\n09|c\r\n", 5, "",
            "09|c\r\n05|b\r\n", "b");
        row("undecodable bytes are kept", "01|\x81\x8D\x8F\x90\x9D\xFF\r\n", 2, "b",
            "01|\x81\x8D\x8F\x90\x9D\xFF\r\n02|b\r\n");
        // A character Windows-1252 lacks turns the whole file into UTF-8, until it is gone.
        const char* utf8 = "\xEF\xBB\xBF"
                           "01!\xC2\xAC:Caf\xC3\xA9\r\n02!\xC2\xAC:\xC5\x82\r\n";
        row("beyond Windows-1252 the file is UTF-8", "01|Caf\xE9\r\n", 2, u"\u0142"_s, utf8);
        row("and back once that text is gone", utf8, 2, "", "01|Caf\xE9\r\n");
        row("UTF-8 without the mark, back to Windows-1252",
            "02!\xC2\xAC:\xE2\x82\xAC\r\n01!\xC2\xAC:abcdef\r\n", 2, "", "01|abcdef\r\n");
        row("a damaged key whose first byte is outside ASCII",
            "01|a\r\n\x80"
            "5|b\r\n",
            1, "x",
            "\x80"
            "5|b\r\n01|x\r\n");
        row("UTF-8: a second marker on a header line, a damaged key of two bytes",
            "\xEF\xBB\xBF"
            "95!\xC2\xAC:!\xC2\xAC:a\r\n\xC3\xA9"
            "5!\xC2\xAC:b\r\n",
            95, "x",
            "\xE9"
            "5|b\r\n95|x\r\n");
        row("after the mark, bytes that are not UTF-8 read as replacement characters",
            "\xEF\xBB\xBF"
            "01!\xC2\xAC:\xFF\r\n",
            2, "b",
            "\xEF\xBB\xBF"
            "01!\xC2\xAC:\xEF\xBF\xBD\r\n02!\xC2\xAC:b\r\n");
        row("what is left reading as UTF-8 is stored as UTF-8", "\xC3\xA9\r\n01|x\r\n", 1, "",
            "\xEF\xBB\xBF\xC3\x83\xC2\xA9\r\n");
    }
    void writesAndReadsBack()
    {
        auto [before, key, text] = fetchColumns<QByteArray, int, QString>({"before", "key", "text"});
        if (!before.isEmpty())
            put(before);
        QVERIFY(write(key, text));
        QTEST(records(), "after");
        QVERIFY(!QFileInfo::exists(m_file + u'_'));
        QTEST(read(key), "readBack");
    }

    // Keys run from 1 to 99. The question before a cut shows the start of what would be dropped and how much.
    void lengthLimit()
    {
        QVERIFY(!write(0, u"x"_s) && !write(100, u"x"_s)); // no such key
        const QString exact(9999, u'a');
        QVERIFY(write(1, exact));
        QVERIFY(!write(1, QString(9999, u'b') + u'Z'));
        QCOMPARE(read(1), exact);
        QCOMPARE(RecordFile::longTextQuestion(QString(9999, u'b') + u'Z'),
            QStringLiteral("Continue?\n\nThe text is over 9,999 characters long. The following will not be "
                           "saved:\n\nZ\n\n(1 character will not be saved.)"));

        // The cut never splits a character in two.
        const QString text = QString(9998, u'a') + u"\U0001F600"_s + u'b';
        QCOMPARE(RecordFile::cutToLimit(text), QString(9998, u'a'));
        QVERIFY(RecordFile::longTextQuestion(text).contains(u":\n\n\U0001F600b\n\n(3 characters"_s));
    }

    // 8 MB of one record's continuation lines reads and rewrites; a file over the 8 MiB bound of
    // data files is neither read nor rewritten.
    void copesWithAHugeRecord()
    {
        const QByteArray huge = "01" + M + "start\r\n" + QByteArray(98, 'x').append("\r\n").repeated(80'000);
        put(huge);
        QCOMPARE(read(1).size(), qsizetype(5 + 80'000 * 100));
        QVERIFY(write(2, u"two"_s));
        QCOMPARE(records().size(), huge.size() + 10);
        put(huge + QByteArray(1 << 20, 'x'));
        QVERIFY(!write(2, u"2"_s));
        QCOMPARE(records().size(), huge.size() + (1 << 20));
    }

    // CR LF or a lone CR ends a line and empty lines count; a lone LF stays inside, also before
    // a CR; the last line needs no end.
    void splitsLines()
    {
        for (const auto& [text, lines] :
            {std::pair {QString(), QStringList()}, {u"\r\n\rx\ry\r\n"_s, {"", "", "x", "y"}},
                {u"a\nb\r\n"_s, {"a\nb"}}, {u"a\n\rb"_s, {"a\n", "b"}}}) {
            QCOMPARE(TextCodec::splitLines(text), lines);
            QCOMPARE(TextCodec::splitLines(TextCodec::joinLines(lines)), lines);
        }
    }

    // Every byte survives as Windows-1252. A file edited by hand may be plain UTF-8 without a
    // mark, with a lone line feed ending a line too.
    void decodesAnyBytes()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(TextCodec::encode(TextCodec::decode(all)), all);
        QCOMPARE(TextCodec::splitAnyLines(TextCodec::decode("caf\xC3\xA9\nb\r\nc\rd\n")),
            (QStringList {u"caf\u00E9"_s, "b", "c", "d"}));
        // Well-formed UTF-8 up to U+10FFFF reads as UTF-8; an overlong form, a surrogate, a code
        // point past U+10FFFF or a sequence cut short makes the whole file Windows-1252.
        for (const QByteArray& utf8 : {QByteArray("\xF4\x8F\xBF\xBF"), QByteArray("\xED\x9F\xBF x")})
            QCOMPARE(TextCodec::decode(utf8), QString::fromUtf8(utf8));
        for (const QByteArray& other : {QByteArray("\xC0\x80"), QByteArray("\xE0\x9F\xBF"),
                 QByteArray("\xED\xA0\x80"), QByteArray("\xF4\x90\x80\x80"), QByteArray("ok \xE2\x82")})
            QCOMPARE(TextCodec::decode(other), TextCodec::fromWindows1252(other));
    }

    // Windows-1252 when the text fits, else UTF-8 with a byte order mark; so too when the
    // Windows-1252 bytes would read as other UTF-8 text, and a text's own leading U+FEFF stays.
    void encodes()
    {
        const QString wide = u"05!\u00AC:\u0142\u00DF\u65E5\u672C \U0001F600\r\n"_s;
        const QString mojibake = u"\u00EF\u00BB\u00BF05!\u00AC:\u00C3\u00A9"_s;
        for (const auto& [text, bytes] :
            {std::pair {u"05!\u00AC:Caf\u00E9 \u20AC!\r\n"_s, QByteArray("05!\xAC:Caf\xE9 \x80!\r\n")},
                {wide, "\xEF\xBB\xBF" + wide.toUtf8()}, {mojibake, "\xEF\xBB\xBF" + mojibake.toUtf8()},
                {u"\uFEFFx"_s, QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx")}}) {
            QCOMPARE(TextCodec::encode(text), bytes);
            QCOMPARE(TextCodec::decode(bytes), text);
        }
    }
};

TRELLIN_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
