#include "TestEnvironment.h"
#include "TestFiles.h"
#include "app/IniFile.h"
#include "app/SettingsStore.h"
#include "core/Paths.h"

// The settings file: reading as the Windows profile functions do, and writing one key while
// every other line of the file keeps its bytes.
class TestSettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void setFile(const QByteArray& content) { QVERIFY(TestFiles::write(m_path, content)); }
    QByteArray bytes() const { return TestFiles::read(m_path); }
    QString read(const char* section, const char* key) const
    {
        return IniFile::read(m_path, QLatin1String(section), QLatin1String(key), QStringLiteral("default"));
    }
    bool write(const char* section, const char* key, const QString& value) const
    {
        return IniFile::write(m_path, QLatin1String(section), QLatin1String(key), value);
    }

private slots:
    void init()
    {
        static int counter = 0;
        m_path = m_dir.filePath(QStringLiteral("test%1.ini").arg(++counter));
    }

    void reads()
    {
        // Only the first of two sections with the same name counts.
        setFile(
            "; comment\r\n[Settings]\r\nBoxNo=7\r\nLeft = 120 \r\nEmpty=\r\nQuoted=\"a b\"\r\n[Defaults]\r\n"
            "DataPath=/data/\r\n[settings]\r\nBoxNo=99\r\nTop=1\r\n[MX]\r\nMX1=Caf\xE9\r\n");
        QCOMPARE(read("Settings", "BoxNo"), QStringLiteral("7"));
        QCOMPARE(read("SETTINGS", "boxno"), QStringLiteral("7")); // names in any case
        QCOMPARE(read("Settings", "Left"), QStringLiteral("120")); // blanks trimmed
        QCOMPARE(read("Settings", "Empty"), QString());
        QCOMPARE(read("Settings", "Quoted"), QStringLiteral("a b"));
        QCOMPARE(read("Settings", "Top"), QStringLiteral("default")); // in the second section
        QCOMPARE(read("Defaults", "BoxNo"), QStringLiteral("default"));
        QCOMPARE(read("MX", "MX1"), QStringLiteral("Caf\u00E9")); // Windows-1252
        QFile::remove(m_path);
        QCOMPARE(read("Settings", "BoxNo"), QStringLiteral("default"));
    }

    // Values are stored whole but read as at most 254 characters, defaults too. A line break in
    // a value would end it and start a line of its own; text beyond Windows-1252 comes back.
    void valueRules()
    {
        const QString longValue(300, u'x');
        QVERIFY(write("Settings", "Long", longValue));
        QCOMPARE(read("Settings", "Long"), longValue.left(254));
        QVERIFY(bytes().contains(longValue.toLatin1()));
        QCOMPARE(IniFile::read(m_path, "X", "Y", longValue).size(), 254);

        QVERIFY(write("Search", "0", QStringLiteral("a\r\nb\nc")));
        QVERIFY(write("Search", "1", QStringLiteral("\u65E5\u672C")));
        QCOMPARE(read("Search", "0"), QStringLiteral("a  b c"));
        QCOMPARE(read("Search", "1"), QStringLiteral("\u65E5\u672C"));
    }

    // The file and its folder are made; a new key goes to the end of its section.
    void writeCreatesFileSectionAndKey()
    {
        m_path = m_dir.filePath(QStringLiteral("new/folder/MoxenoTrellin.ini"));
        QVERIFY(write("Settings", "BoxNo", QStringLiteral("3")));
        QVERIFY(write("Defaults", "DecPlaces", QStringLiteral("4")));
        QVERIFY(write("Settings", "Left", QStringLiteral("36")));
        QCOMPARE(bytes(), QByteArray("[Settings]\r\nBoxNo=3\r\nLeft=36\r\n[Defaults]\r\nDecPlaces=4\r\n"));
    }

    // A write changes one line or adds one; every other line keeps its bytes, garbage included.
    void writeReplacesInPlaceAndKeepsOtherLines()
    {
        setFile("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=1\n  ; keep "
                "me\nTop=5\n\n[Unknown]\nx=y\n");
        QVERIFY(write("Settings", "BoxNo", QStringLiteral("12")));
        QVERIFY(write("Settings", "Left", QStringLiteral("99")));
        QCOMPARE(bytes(),
            QByteArray("; my notes\n[MX]\nNumLock=1\nMX1=hello\n\n[settings]\nBOXNO=12\n  ; keep me\n"
                       "Top=5\nLeft=99\r\n\n[Unknown]\nx=y\n"));

        const char raw[]
            = "\x00\xFF[[[\n=novalue\n]\n[Settings\nBoxNo=bad\n[Settings]\nBoxNo=4\n\xC3\x28 junk\n";
        setFile(QByteArray(raw, sizeof raw - 1)); // with its leading NUL
        QCOMPARE(read("Settings", "BoxNo"), QStringLiteral("4"));
        QVERIFY(write("Settings", "BoxNo", QStringLiteral("5")));
        QCOMPARE(read("Settings", "BoxNo"), QStringLiteral("5"));
        QVERIFY(bytes().contains("=novalue\n]\n[Settings\nBoxNo=bad\n"));
        QVERIFY(bytes().contains(" junk\n"));
    }

    void writeToUnwritablePlaceReportsFailure()
    {
        // A plain file where the folder should be: fails even for root.
        setFile("not a folder");
        QString error;
        QVERIFY(!IniFile::write(m_path + QStringLiteral("/MoxenoTrellin.ini"), "S", "K", "V", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(bytes(), QByteArray("not a folder"));
    }

    // The settings file lives in the configuration folder unless one sits in the data folder,
    // which is looked for at every access.
    void iniPathPrefersDataRoot()
    {
        SettingsStore store(m_dir.filePath(QStringLiteral("data")), m_dir.filePath(QStringLiteral("config")));
        const QString inConfig = m_dir.filePath(QStringLiteral("config/MoxenoTrellin.ini"));
        QCOMPARE(store.IniPath(), inConfig);
        QVERIFY(store.IniWrite("Settings", "BoxNo", "2"));
        QVERIFY(QFileInfo::exists(inConfig));

        m_path = m_dir.filePath(QStringLiteral("data/MoxenoTrellin.ini"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("data")));
        setFile("[Settings]\r\nBoxNo=9\r\n");
        QCOMPARE(store.IniPath(), m_path);
        QCOMPARE(store.IniRead("Settings", "BoxNo", ""), QStringLiteral("9"));
        QFile::remove(m_path);
        QCOMPARE(store.IniRead("Settings", "BoxNo", ""), QStringLiteral("2"));
    }

    // A relative XDG_DATA_HOME is not a valid setting and is ignored.
    void defaultFoldersFollowXdg()
    {
        const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
        QCOMPARE(Paths::configFolder(), home + QStringLiteral("/.config/MoxenoTrellin/"));
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "relative/ignored");
        QCOMPARE(Paths::defaultDataFolder(), home + QStringLiteral("/.local/share/MoxenoTrellin/"));
        qputenv("XDG_DATA_HOME", saved);
    }
};

TRELLIN_TEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
