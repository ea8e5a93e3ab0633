// A window that receives typed keys for the end-to-end tests and the typing benchmark. It
// announces "ready <window id>" once its window is active, then answers commands on standard
// input, one per line, and quits at the end of its input:
//   state -> "state <monotonic ns of the last change> <base64 of the UTF-8 text> <base64 of the
//            non-modifier key presses, e.g. 'Ctrl+A F5 Shift+End'>"
//   clear -> "ok" once text and key log are empty
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <unistd.h>

class TypingTarget : public QPlainTextEdit
{
public:
    TypingTarget()
    {
        connect(this, &QPlainTextEdit::textChanged, this, [this] {
            m_lastChange = std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
        });
        connect(&m_input, &QSocketNotifier::activated, this, [this] { readCommands(); });
        // The window manager gives new windows the focus, but a busy machine can lose the
        // race with the mapping; ask again until the window is active, then announce it.
        connect(&m_activation, &QTimer::timeout, this, [this] {
            if (!isActiveWindow())
                return activateWindow();
            m_activation.stop();
            reply("ready " + QByteArray::number(qulonglong(winId())));
        });
        m_activation.start(200);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!QList<int> {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta}.contains(event->key()))
            m_keys.append(QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText));
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    static void reply(const QByteArray& line)
    {
        std::fputs((line + '\n').constData(), stdout);
        std::fflush(stdout);
    }

    void readCommands()
    {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0)
            return QApplication::quit();
        m_pending.append(buffer, count);
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
            if (m_pending.startsWith("state\n")) {
                reply("state " + QByteArray::number(m_lastChange) + ' ' + toPlainText().toUtf8().toBase64()
                    + ' ' + m_keys.join(u' ').toUtf8().toBase64());
            } else if (m_pending.startsWith("clear\n")) {
                clear();
                m_keys.clear();
                reply("ok");
            }
        }
    }

    QSocketNotifier m_input {STDIN_FILENO, QSocketNotifier::Read};
    QTimer m_activation;
    QByteArray m_pending;
    QStringList m_keys;
    qint64 m_lastChange = 0;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TypingTarget target;
    target.setWindowTitle(QString::fromLocal8Bit(argc > 1 ? argv[1] : "Typing target"));
    target.resize(640, 400);
    target.show();
    return app.exec();
}
