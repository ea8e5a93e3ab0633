#include "gui/main/HelpWindow.h"

#include "gui/widgets/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 640;

} // namespace

#ifndef TRELLIN_INSTALL_HELPDIR
#define TRELLIN_INSTALL_HELPDIR "/usr/local/share/moxeno-trellin/help"
#endif

HelpWindow::HelpWindow(QObject* parent)
    : QObject(parent)
{ }

HelpWindow::~HelpWindow() = default;

void HelpWindow::close()
{
    if (m_browser)
        m_browser->close();
}

QStringList HelpWindow::candidates(const QString& programFolder)
{
    return {QDir::cleanPath(programFolder + QStringLiteral("/../share/moxeno-trellin/help/index.html")),
        QDir::cleanPath(QStringLiteral(TRELLIN_INSTALL_HELPDIR "/index.html"))};
}

QString HelpWindow::findManual(const QString& programFolder)
{
    for (const QString& path : candidates(programFolder)) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

void HelpWindow::catchF1Everywhere()
{
    qApp->installEventFilter(this);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            showHelp();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void HelpWindow::showHelp()
{
    if (!m_browser) {
        m_browser = std::make_unique<QTextBrowser>();
        m_browser->setWindowTitle(QStringLiteral("Moxeno Trellin - Help"));
        m_browser->setWindowIcon(AppIcon::icon());
        m_browser->setOpenExternalLinks(true);
        m_browser->resize(kWidth, kHeight);
    }
    QTextBrowser* browser = m_browser.get();
    m_manual = findManual(QCoreApplication::applicationDirPath());
    if (m_manual.isEmpty()) {
        QString places;
        for (const QString& path : candidates(QCoreApplication::applicationDirPath()))
            places += QStringLiteral("<li>%1</li>").arg(path.toHtmlEscaped());
        browser->setHtml(
            QStringLiteral("<h2>Manual not found</h2><p>The user manual of Moxeno Trellin was not found. "
                           "It was looked for here:</p><ul>%1</ul>")
                .arg(places));
    } else {
        browser->setSource(QUrl::fromLocalFile(m_manual));
    }
    // A window opened under a modal dialog could not be used until the dialog closes.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != browser) {
        const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
        if (modality != browser->windowModality()) {
            browser->hide();
            browser->setWindowModality(modality);
        }
    }
    if (!browser->isVisible())
        placeOverMainWindow();
    browser->show();
    browser->raise();
    browser->activateWindow();
}

void HelpWindow::placeOverMainWindow()
{
    QScreen* screen = m_mainWindow ? m_mainWindow->screen() : m_browser->screen();
    if (!screen)
        return;
    // The window manager's frame is not known before the window is shown: the main window's
    // stands in for it.
    QMargins frame;
    if (m_mainWindow && m_mainWindow->isVisible()) {
        const QRect outer = m_mainWindow->frameGeometry();
        const QRect inner = m_mainWindow->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QRect available = screen->availableGeometry().marginsRemoved(frame);
    const QSize size = QSize(kWidth, kHeight).boundedTo(available.size());
    QRect placed(QPoint(), size);
    placed.moveCenter(m_mainWindow ? m_mainWindow->geometry().center() : available.center());
    // Inside the screen: the right and bottom edges first, so a window larger than it keeps its top left.
    placed.moveRight(std::min(placed.right(), available.right()));
    placed.moveBottom(std::min(placed.bottom(), available.bottom()));
    placed.moveLeft(std::max(placed.left(), available.left()));
    placed.moveTop(std::max(placed.top(), available.top()));
    if (m_browser->windowHandle())
        m_browser->windowHandle()->setScreen(screen);
    m_browser->setGeometry(placed);
}
