#include "gui/options/ShortcutsDialog.h"

#include "core/DataContext.h"
#include "core/Prompter.h"
#include "gui/widgets/AppIcon.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QMetaEnum>

using Key = Settings::Key;

namespace {

constexpr Key kFirst = Key::ShortcutShow;
constexpr Key kLast = Key::ShortcutMacro10;

QString label(Key key)
{
    if (key == Key::ShortcutShow)
        return QStringLiteral("Show the window");
    if (key == Key::ShortcutPick)
        return QStringLiteral("Open the quick pick");
    return QStringLiteral("Play macro %1 of the box on show").arg(int(key) - int(Key::ShortcutMacro1) + 1);
}

} // namespace

ShortcutsDialog::ShortcutsDialog(DataContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmShortcuts"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - shortcuts"));
    setWindowIcon(AppIcon::icon());
    setModal(true);
    auto* form = new QFormLayout(this);
    const QMetaEnum keys = QMetaEnum::fromType<Key>();
    for (int key = int(kFirst); key <= int(kLast); ++key) {
        auto* edit = new QKeySequenceEdit(
            QKeySequence::fromString(context.settings().text(Key(key)), QKeySequence::PortableText), this);
        edit->setObjectName(QString::fromLatin1(keys.valueToKey(key)));
        // One combination each: a global shortcut is one chord.
        connect(edit, &QKeySequenceEdit::editingFinished, edit, [edit] {
            if (edit->keySequence().count() > 1)
                edit->setKeySequence(QKeySequence(edit->keySequence()[0]));
        });
        edit->setClearButtonEnabled(true);
        edit->installEventFilter(this);
        m_edits.append(edit);
        form->addRow(label(Key(key)), edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShortcutsDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

bool ShortcutsDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A field records every key; Escape or Enter taken alone would grab that key from every
    // program. Alone, they leave the dialog as in any other.
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QDialog::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        save();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void ShortcutsDialog::save()
{
    Settings& settings = m_context.settings();
    for (int i = 0; i < m_edits.size(); ++i) {
        const Key key = Key(int(kFirst) + i);
        const QString keys = m_edits[i]->keySequence().toString(QKeySequence::PortableText);
        if (keys == settings.text(key))
            continue;
        if (const Result<> stored = settings.setText(key, keys); !stored) {
            m_context.prompter().tell(
                QStringLiteral("The shortcuts could not be stored:\n%1").arg(stored.error()),
                PromptIcon::Critical);
            return;
        }
    }
    accept();
}
