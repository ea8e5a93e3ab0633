#include "gui/pick/QuickPick.h"

#include "core/DataContext.h"
#include "search/SearchTexts.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

QuickPick::QuickPick(DataContext& context, QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_context(context)
    , m_filter(new QLineEdit(this))
    , m_list(new QListWidget(this))
    , m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("QuickPick"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - quick pick"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    m_filter->setObjectName(QStringLiteral("PickFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Type to search every box"));
    m_list->setObjectName(QStringLiteral("PickList"));
    m_list->setUniformItemSizes(true);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_note->setObjectName(QStringLiteral("PickNote"));
    m_note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_filter);
    layout->addWidget(m_list);
    layout->addWidget(m_note);
    resize(460, 340);
    // Keys reach the focus widget of a popup.
    m_filter->setFocus();
    m_filter->installEventFilter(this);
    connect(m_filter, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_rows.request(m_context.dataFolder(), text, m_box); });
    connect(&m_rows, &PickList::listed, this, &QuickPick::showRows);
    connect(m_list, &QListWidget::itemActivated, this, [this] { choose(false); });
}

bool QuickPick::open(int box)
{
    m_box = box;
    m_rows.afterListed({});
    {
        const QSignalBlocker quiet(m_filter);
        m_filter->clear();
    }
    showRows(PickList::read(m_context.dataFolder(), {}, box));
    const QPoint pointer = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(pointer);
    const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    QRect place(pointer, size());
    place.moveRight(std::min(place.right(), area.right()));
    place.moveBottom(std::min(place.bottom(), area.bottom()));
    place.moveTopLeft(QPoint(std::max(place.left(), area.left()), std::max(place.top(), area.top())));
    move(place.topLeft());
    show();
    // The key that opened the popup may still be held under another program's grab (a desktop
    // shortcut running trellinctl); the grab is free once it goes up.
    const QDeadlineTimer deadline(1000);
    while (!windowHandle()->setKeyboardGrabEnabled(true)) {
        if (deadline.hasExpired()) {
            close();
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void QuickPick::showRows(const PickList::Rows& rows)
{
    if (rows.filter != m_filter->text() || rows.box != m_box)
        return;
    m_hits = rows.hits;
    m_list->clear();
    const bool everyBox = !rows.filter.isEmpty();
    for (const SearchHit& hit : std::as_const(m_hits))
        m_list->addItem(PickList::label(hit, everyBox));
    m_list->setCurrentRow(0);
    QStringList notes;
    if (rows.total > rows.hits.size())
        notes.append(
            QStringLiteral("%1 more; type on to narrow the list").arg(rows.total - rows.hits.size()));
    else if (rows.total == 0)
        notes.append(everyBox ? QStringLiteral("Nothing holds %1").arg(SearchTexts::quoted(rows.filter))
                              : QStringLiteral("Box %1 holds no text and no macro").arg(rows.box));
    if (!rows.unreadable.isEmpty())
        notes.append(SearchTexts::unreadableFiles(rows.unreadable));
    m_note->setText(notes.join(u'\n'));
    m_note->setVisible(!notes.isEmpty());
}

void QuickPick::choose(bool copyOnly)
{
    m_rows.afterListed([this, copyOnly] { chooseNow(copyOnly); });
}

void QuickPick::chooseNow(bool copyOnly)
{
    if (!isVisible())
        return;
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_hits.size())
        return;
    const SearchHit hit = m_hits[row];
    close();
    // The keyboard grab ends with the popup; the server must have seen that before anything
    // is typed on another connection, or the keys would still come here.
    QGuiApplication::sync();
    emit chosen(hit, copyOnly);
}

bool QuickPick::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_filter || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(m_list, event);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(key->modifiers().testFlag(Qt::ControlModifier));
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}
