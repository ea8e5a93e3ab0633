#include "DataColumns.h"
#include "DomainFixture.h"
#include "platform/InsertRules.h"

// Which way a text goes into a window: the stored rules (defaults included) for the window's
// WM_CLASS, and a macro's own choice over them.
class TestInsertRules : public QObject
{
    Q_OBJECT

private slots:
    void methodFor_data()
    {
        // "stored": "Key=value|Key=value" in the [Insert] section; the window class "instance/class".
        addColumns<QString, QString, InsertChoice, InsertMethod>(
            {"stored", "windowClass", "choice", "expected"});
        const auto row = [](const char* tag, const char* stored, const char* windowClass,
                             InsertMethod expected, InsertChoice choice = InsertChoice::Rules) {
            QTest::newRow(tag) << QString(stored) << QString(windowClass) << choice << expected;
        };
        using enum InsertMethod;
        row("xterm", "", "xterm/XTerm", PasteShiftInsert);
        row("urxvt, any case", "", "URXVT/URxvt", PasteShiftInsert);
        row("gnome-terminal by its instance", "", "gnome-terminal-server/Gnome-terminal", PasteCtrlShiftV);
        row("VirtualBox machine", "", "VirtualBox Machine/VirtualBox Machine", PasteCtrlV);
        row("an editor is typed into", "", "gedit/Gedit", Type);
        row("no window", "", "/", Type);
        row("pasting by default", "Default=Paste", "gedit/Gedit", PasteCtrlV);
        row("typed list over the default", "Default=paste|Typed=emacs; gedit", "gedit/Gedit", Type);
        row("typed list over a paste list", "Typed=konsole", "konsole/konsole", Type);
        row("a rule emptied", "ShiftInsert=", "xterm/XTerm", Type);
        row("a pattern of the user's", "CtrlShiftV=my*term", "myfancyterm/Fancy", PasteCtrlShiftV);
        row("a macro types", "", "xterm/XTerm", Type, InsertChoice::Type);
        row("a macro pastes", "", "gedit/Gedit", PasteCtrlV, InsertChoice::Paste);
        row("a macro pastes with the window's keys", "Typed=konsole", "konsole/konsole", PasteCtrlShiftV,
            InsertChoice::Paste);
    }
    void methodFor()
    {
        auto [stored, windowClass, choice]
            = fetchColumns<QString, QString, InsertChoice>({"stored", "windowClass", "choice"});
        DomainFixture f;
        for (const QString& setting : stored.split(u'|', Qt::SkipEmptyParts)) {
            const QString name = setting.section(u'=', 0, 0);
            for (int k = 0; k < int(Settings::kKeyCount); ++k) {
                const Settings::Entry& entry = Settings::entry(Settings::Key(k));
                if (QLatin1String(entry.section) == u"Insert" && QLatin1String(entry.name) == name)
                    QVERIFY(f.settings.setText(entry.key, setting.section(u'=', 1)).ok());
            }
        }
        QList<QByteArray> names;
        for (const QString& name : windowClass.split(u'/'))
            names << name.toUtf8();
        QTEST(InsertRules::fromSettings(f.settings).methodFor(names, choice), "expected");
    }
};

TRELLIN_TEST_MAIN(TestInsertRules)
#include "tst_insertrules.moc"
