#include "DomainFixture.h"
#include "TestEnvironment.h"
#include "platform/InsertRules.h"

#include <QTest>

// Which way a text goes into a window: the stored rules (defaults included) for the window's
// WM_CLASS, and a macro's own choice over them.
class TestInsertRules : public QObject
{
    Q_OBJECT

private slots:
    void methodFor_data()
    {
        QTest::addColumn<QString>("stored"); // "Key=value|Key=value" in the [Insert] section
        QTest::addColumn<QString>("windowClass"); // "instance/class"
        QTest::addColumn<InsertChoice>("choice");
        QTest::addColumn<InsertMethod>("expected");
        const auto rules = InsertChoice::Rules;
        QTest::newRow("xterm") << ""
                               << "xterm/XTerm" << rules << InsertMethod::PasteShiftInsert;
        QTest::newRow("urxvt, any case") << ""
                                         << "URXVT/URxvt" << rules << InsertMethod::PasteShiftInsert;
        QTest::newRow("gnome-terminal by its instance")
            << ""
            << "gnome-terminal-server/Gnome-terminal" << rules << InsertMethod::PasteCtrlShiftV;
        QTest::newRow("xfce4-terminal")
            << ""
            << "xfce4-terminal/Xfce4-terminal" << rules << InsertMethod::PasteCtrlShiftV;
        QTest::newRow("VirtualBox machine")
            << ""
            << "VirtualBox Machine/VirtualBox Machine" << rules << InsertMethod::PasteCtrlV;
        QTest::newRow("remmina") << ""
                                 << "org.remmina.Remmina/Remmina" << rules << InsertMethod::PasteCtrlV;
        QTest::newRow("xfreerdp") << ""
                                  << "xfreerdp/xfreerdp" << rules << InsertMethod::PasteCtrlV;
        QTest::newRow("vncviewer") << ""
                                   << "vncviewer/Vncviewer" << rules << InsertMethod::PasteCtrlV;
        QTest::newRow("an editor is typed into") << ""
                                                 << "gedit/Gedit" << rules << InsertMethod::Type;
        QTest::newRow("no window") << ""
                                   << "/" << rules << InsertMethod::Type;
        QTest::newRow("pasting by default") << "Default=Paste"
                                            << "gedit/Gedit" << rules << InsertMethod::PasteCtrlV;
        QTest::newRow("typed list over the default") << "Default=paste|Typed=emacs; gedit"
                                                     << "gedit/Gedit" << rules << InsertMethod::Type;
        QTest::newRow("typed list over a paste list") << "Typed=konsole"
                                                      << "konsole/konsole" << rules << InsertMethod::Type;
        QTest::newRow("a rule emptied") << "ShiftInsert="
                                        << "xterm/XTerm" << rules << InsertMethod::Type;
        QTest::newRow("a pattern of the user's")
            << "CtrlShiftV=my*term"
            << "myfancyterm/Fancy" << rules << InsertMethod::PasteCtrlShiftV;
        QTest::newRow("a macro types") << ""
                                       << "xterm/XTerm" << InsertChoice::Type << InsertMethod::Type;
        QTest::newRow("a macro pastes") << ""
                                        << "gedit/Gedit" << InsertChoice::Paste << InsertMethod::PasteCtrlV;
        QTest::newRow("a macro pastes with the window's keys")
            << "Typed=konsole"
            << "konsole/konsole" << InsertChoice::Paste << InsertMethod::PasteCtrlShiftV;
    }
    void methodFor()
    {
        QFETCH(QString, stored);
        QFETCH(QString, windowClass);
        QFETCH(InsertChoice, choice);
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
