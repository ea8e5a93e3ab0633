#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"

#include <QSignalSpy>

class TestSettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

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
};

TRELLIN_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
