#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/FolderLock.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/SafeRename.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"
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

// The settings file, and how every data file is written safely: renames that never replace, a
// temporary synced before it replaces the file, a file that cannot be read never rewritten.
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

private slots:
    void init() { m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction())); }

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

    void renameNeverReplaces()
    {
        QVERIFY(TestFiles::write(path("a"), "A") && TestFiles::write(path("b"), "B"));
        QString error;
        QCOMPARE(SafeRename::rename(path("a"), path("b"), &error), SafeRename::Result::TargetExists);
        QVERIFY(error.contains(path("b")));
        QCOMPARE(TestFiles::read(path("a")) + TestFiles::read(path("b")), QByteArray("AB"));
        QCOMPARE(SafeRename::rename(path("none"), path("b")), SafeRename::Result::SourceMissing);
        QCOMPARE(SafeRename::rename(path("a"), path("c")), SafeRename::Result::Renamed);
        QCOMPARE(TestFiles::read(path("c")), QByteArray("A"));
        QCOMPARE(SafeRename::rename(path("b"), path("no/such/folder/b")), SafeRename::Result::Failed);
    }

    // A temporary file left by an interrupted rewrite, longer than the new content, leaves no trace.
    void leftoverTemporaryNeverLeaksIntoTheFile()
    {
        const QString file = path("leftover");
        QVERIFY(TestFiles::write(TextFile::temporaryPath(file), "left over from a crash"));
        QVERIFY(TextFile::writeAtomically(file, "new").ok());
        QCOMPARE(TestFiles::read(file), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(TextFile::temporaryPath(file)));
    }

    // A socket cannot be read but could be renamed over, so only the read check keeps it.
    void unreadableFileIsNeverRewritten_data()
    {
        QTest::addColumn<bool>("records");
        QTest::newRow("record file") << true;
        QTest::newRow("settings file") << false;
    }
    void unreadableFileIsNeverRewritten()
    {
        QFETCH(bool, records);
        const QString file = path(QTest::currentDataTag());
        QVERIFY2(TestFiles::makeSocket(file), qPrintable(file));
        const Result<> written = records ? RecordFile::writeRecord(file, 1, u"x"_s)
                                         : IniFile::write(file, "Settings", "BoxNo", u"1"_s);
        QVERIFY2(!written && written.error().contains(file), qPrintable(written.error()));
        QVERIFY(QFileInfo::exists(file) && !QFileInfo(file).isFile()); // the socket, not replaced
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

    // Locks nest within one process; a missing folder cannot be locked, and says which.
    void locksNestWithinOneProcess()
    {
        FolderLock outer(m_dir.path());
        QVERIFY(outer.isLocked());
        QVERIFY(FolderLock(m_dir.path(), 100).isLocked());
        FolderLock missing(u"/nonexistent/folder"_s, 100);
        QVERIFY(!missing.isLocked() && missing.errorString().contains(u"/nonexistent/folder"_s));
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
};

TRELLIN_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
