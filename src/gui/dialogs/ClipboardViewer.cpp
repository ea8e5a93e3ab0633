#include "gui/dialogs/ClipboardViewer.h"

#include "core/Clipboard.h"
#include "core/LineBreaks.h"
#include "gui/widgets/AppIcon.h"
#include "gui/widgets/EditorText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ClipboardViewer::ClipboardViewer(Clipboard& clipboard, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("ClipboardViewer"));
    setWindowTitle(QStringLiteral("Moxeno Trellin - clipboard"));
    setWindowIcon(AppIcon::icon());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Text on the clipboard:"), this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TextClipboard"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_text);

    auto* buttons = new QHBoxLayout;
    m_reload = new QPushButton(QStringLiteral("Reload"), this);
    m_reload->setObjectName(QStringLiteral("ButtonReload"));
    m_putBack = new QPushButton(QStringLiteral("Put on clipboard"), this);
    m_putBack->setObjectName(QStringLiteral("ButtonPutBack"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("ButtonClose"));
    buttons->addWidget(m_reload);
    buttons->addStretch();
    buttons->addWidget(m_putBack);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    connect(m_reload, &QPushButton::clicked, this, &ClipboardViewer::reload);
    connect(m_putBack, &QPushButton::clicked, this, &ClipboardViewer::putBack);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    resize(520, 360);
}

void ClipboardViewer::open()
{
    reload();
    show();
    raise();
    activateWindow();
    m_text->setFocus();
}

void ClipboardViewer::reload()
{
    m_text->setPlainText(LineBreaks::toLineFeeds(m_clipboard.text()));
}

void ClipboardViewer::putBack()
{
    m_clipboard.replaceText(EditorText::text(m_text));
}
