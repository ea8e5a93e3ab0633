#include "gui/options/AdvancedOptionsDialog.h"

#include "boxes/DataFolderMove.h"
#include "core/DataContext.h"
#include "core/IniFile.h"
#include "core/LeadingNumber.h"
#include "core/Prompter.h"
#include "core/SessionAutostart.h"
#include "core/Settings.h"
#include "gui/options/OptionsPickers.h"
#include "gui/options/ShortcutsDialog.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/CommandLabel.h"
#include "gui/widgets/ScreenTwips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Key = Settings::Key;

namespace {

const QString kDefaultDelay = QStringLiteral("0.01");

} // namespace

AdvancedOptionsDialog::AdvancedOptionsDialog(DataContext& context, OptionsPickers& pickers, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_pickers(pickers)
{
    setObjectName(QStringLiteral("frmAboutAdvOpts"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - advanced options"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    const ScreenTwips tw(this);
    const Settings& settings = m_context.settings();

    auto* delayLabel = new QLabel(QStringLiteral("Macro playback delay (seconds). Min 0.001; Max 10"), this);
    delayLabel->setObjectName(QStringLiteral("Label1"));
    delayLabel->setGeometry(tw.rect(120, 150, 4740, 240));
    m_delay = new QLineEdit(settings.text(Key::MacroDelay), this);
    m_delay->setObjectName(QStringLiteral("TextDelay"));
    m_delay->setGeometry(tw.rect(4980, 120, 1380, 300));
    m_promptBefore = new QCheckBox(QStringLiteral("Prompt me before running each macro"), this);
    m_promptBefore->setObjectName(QStringLiteral("CheckPromptBeforeMacro"));
    m_promptBefore->setGeometry(tw.rect(120, 480, 6240, 285));
    m_promptBefore->setChecked(settings.flag(Key::MacroPromptBefore));
    m_informAfter = new QCheckBox(QStringLiteral("Inform me after each macro has finished running"), this);
    m_informAfter->setObjectName(QStringLiteral("CheckMacroInformAfter"));
    m_informAfter->setGeometry(tw.rect(120, 810, 6240, 285));
    m_informAfter->setChecked(settings.flag(Key::MacroInformAfter));
    // Ticked exactly when the session will start the program: the entry on disk decides, also
    // when it was written or removed outside this dialog.
    m_startWithSession = new QCheckBox(QStringLiteral("Start Moxeno Trellin when I log in"), this);
    m_startWithSession->setObjectName(QStringLiteral("CheckStartWithSession"));
    m_startWithSession->setGeometry(tw.rect(120, 1140, 6240, 285));
    m_startWithSession->setChecked(SessionAutostart::isEnabled());

    auto* folderLabel = new QLabel(QStringLiteral("Store my data files here:"), this);
    folderLabel->setObjectName(QStringLiteral("Label2"));
    folderLabel->setGeometry(tw.rect(120, 1530, 6240, 240));
    m_dataPath = new QLabel(m_context.dataFolder(), this);
    m_dataPath->setObjectName(QStringLiteral("LabelDataPath"));
    m_dataPath->setGeometry(tw.rect(120, 1800, 5640, 300));
    m_dataPath->setFrameShape(QFrame::Panel);
    m_dataPath->setFrameShadow(QFrame::Sunken);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("CommandGetDataPath"));
    browse->setGeometry(tw.rect(5880, 1800, 480, 300));
    // Enter in the delay box must not open the folder browser.
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &AdvancedOptionsDialog::chooseFolder);

    // The command row stands below the last rule.
    const int row = buildInsertRules(2280) + 120;
    CommandLabel* reset = CommandLabel::button(QStringLiteral("LabelResetDefaults"),
        QStringLiteral("Reset defaults"), this, tw.rect(120, row, 1500, 300));
    CommandLabel* help = CommandLabel::button(
        QStringLiteral("LabelHelp"), QStringLiteral("Help"), this, tw.rect(1740, row, 1000, 300));
    CommandLabel* shortcuts = CommandLabel::button(
        QStringLiteral("LabelShortcuts"), QStringLiteral("Shortcuts"), this, tw.rect(2820, row, 1100, 300));
    connect(shortcuts, &CommandLabel::released, this, [this] { ShortcutsDialog(m_context, this).exec(); });
    CommandLabel* cancel = CommandLabel::button(
        QStringLiteral("LabelCancel"), QStringLiteral("Cancel"), this, tw.rect(3960, row, 1140, 300));
    CommandLabel* saveLabel = CommandLabel::button(
        QStringLiteral("LabelClose"), QStringLiteral("Save"), this, tw.rect(5220, row, 1140, 300));
    connect(reset, &CommandLabel::released, this, &AdvancedOptionsDialog::resetDefaults);
    connect(help, &CommandLabel::released, this, &AdvancedOptionsDialog::helpRequested);
    connect(cancel, &CommandLabel::released, this, &QDialog::reject);
    connect(saveLabel, &CommandLabel::released, this, &AdvancedOptionsDialog::save);

    setFixedSize(tw.px(kClientWidth), tw.px(kClientHeight));
}

namespace {

struct InsertList
{
    Key key;
    const char* name;
    const char* caption;
};
constexpr InsertList kInsertLists[] = {
    {Key::InsertTyped, "TextInsertTyped", "Always type into"},
    {Key::InsertCtrlV, "TextInsertCtrlV", "Paste with Ctrl+V into"},
    {Key::InsertShiftInsert, "TextInsertShiftInsert", "Paste with Shift+Insert into"},
    {Key::InsertCtrlShiftV, "TextInsertCtrlShiftV", "Paste with Ctrl+Shift+V into"},
};

} // namespace

int AdvancedOptionsDialog::buildInsertRules(int top)
{
    const ScreenTwips tw(this);
    const Settings& settings = m_context.settings();
    auto* heading = new QLabel(
        QStringLiteral(
            "Texts go into other windows (window classes, separated by commas; * for any characters):"),
        this);
    heading->setObjectName(QStringLiteral("LabelInsertRules"));
    heading->setWordWrap(true);
    heading->setGeometry(tw.rect(120, top, 6240, 450));
    auto* defaultLabel = new QLabel(QStringLiteral("Any other window"), this);
    defaultLabel->setGeometry(tw.rect(120, top + 540, 2640, 240));
    m_insertDefault = new QComboBox(this);
    m_insertDefault->setObjectName(QStringLiteral("ComboInsertDefault"));
    m_insertDefault->addItem(QStringLiteral("Type"), QStringLiteral("type"));
    m_insertDefault->addItem(QStringLiteral("Paste with Ctrl+V"), QStringLiteral("paste"));
    m_insertDefault->setCurrentIndex(
        settings.text(Key::InsertDefault).trimmed().compare(u"paste", Qt::CaseInsensitive) == 0 ? 1 : 0);
    m_insertDefault->setGeometry(tw.rect(2880, top + 510, 3480, 300));
    int y = top + 900;
    for (const InsertList& list : kInsertLists) {
        auto* label = new QLabel(QLatin1String(list.caption), this);
        label->setGeometry(tw.rect(120, y + 30, 2640, 240));
        auto* edit = new QLineEdit(settings.text(list.key), this);
        edit->setObjectName(QLatin1String(list.name));
        // What the settings file cannot hold is not accepted, rather than cut when stored.
        edit->setMaxLength(IniFile::kMaxValueLength);
        edit->setGeometry(tw.rect(2880, y, 3480, 300));
        label->setBuddy(edit);
        m_insertLists.append({edit, int(list.key)});
        y += 360;
    }
    return y;
}

QString AdvancedOptionsDialog::checkedDelay(const QString& typed)
{
    const double seconds = leadingNumber(typed);
    if (seconds == 0.0) // also empty or no number
        return kDefaultDelay;
    if (seconds < 0.001)
        return QStringLiteral("0.001");
    if (seconds > 10)
        return QStringLiteral("10");
    return typed;
}

void AdvancedOptionsDialog::chooseFolder()
{
    const std::optional<QString> chosen
        = m_pickers.pickFolder(folderBrowserTitle(), m_dataPath->text(), this);
    if (!chosen || chosen->isEmpty())
        return;
    QString folder = QDir::fromNativeSeparators(*chosen);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    m_dataPath->setText(folder);
}

void AdvancedOptionsDialog::resetDefaults()
{
    m_delay->setText(kDefaultDelay);
    m_promptBefore->setChecked(true);
    m_informAfter->setChecked(true);
    m_insertDefault->setCurrentIndex(0);
    for (const auto& [edit, key] : std::as_const(m_insertLists))
        edit->setText(QLatin1String(Settings::entry(Key(key)).defaultValue));
}

void AdvancedOptionsDialog::save()
{
    m_delay->setText(checkedDelay(m_delay->text()));
    Settings& settings = m_context.settings();
    QStringList failures;
    for (const Result<>& stored : {settings.setText(Key::MacroDelay, m_delay->text()),
             settings.setFlag(Key::MacroPromptBefore, m_promptBefore->isChecked()),
             settings.setFlag(Key::MacroInformAfter, m_informAfter->isChecked())}) {
        if (!stored)
            failures.append(stored.error());
    }
    // The insert rules are stored only where they differ from what is stored, so that the
    // defaults stay defaults (and follow a later version's list).
    QList<std::pair<Key, QString>> rules {{Key::InsertDefault, m_insertDefault->currentData().toString()}};
    for (const auto& [edit, key] : std::as_const(m_insertLists))
        rules.append({Key(key), edit->text().trimmed()});
    for (const auto& [key, value] : rules) {
        if (value.compare(settings.text(key).trimmed(), Qt::CaseInsensitive) == 0)
            continue;
        if (const Result<> stored = settings.setText(key, value); !stored)
            failures.append(stored.error());
    }
    Prompter& prompter = m_context.prompter();
    if (!failures.isEmpty())
        prompter.tell(QStringLiteral("The macro options could not be stored:\n%1").arg(failures.first()),
            PromptIcon::Critical);
    // A ticked box writes the entry anew, so it starts the program from where it runs now.
    if (m_startWithSession->isChecked() || SessionAutostart::isEnabled()) {
        const Result<> changed = m_startWithSession->isChecked()
            ? SessionAutostart::enable(QCoreApplication::applicationFilePath())
            : SessionAutostart::disable();
        if (!changed) {
            prompter.tell(
                QStringLiteral("Starting with the session could not be changed:\n%1").arg(changed.error()),
                PromptIcon::Critical);
            m_startWithSession->setChecked(SessionAutostart::isEnabled());
        }
    }

    const QString folder = m_dataPath->text();
    if (folder != m_context.dataFolder()) {
        const Result<DataFolderMove::Outcome> moved = DataFolderMove(m_context).moveTo(folder);
        if (!moved) {
            // The dialog stays open on the chosen folder: the user can clear the obstacle and
            // save again, choose another folder, or cancel.
            prompter.tell(moved.error(), PromptIcon::Critical);
            return;
        }
        if (!moved->leftBehind.isEmpty())
            prompter.tell(
                QStringLiteral("The data files are now in %1.\nThe old copies of these files could not "
                               "be removed from their former folder:\n%2")
                    .arg(moved->folder, moved->leftBehind.join(u'\n')),
                PromptIcon::Exclamation);
        m_dataPath->setText(moved->folder);
        emit dataFolderChanged();
    }
    accept();
}
