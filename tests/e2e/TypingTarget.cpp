// A window that receives typed keys, for the end-to-end tests and the typing benchmark. It
// announces "ready <window id>" once active, then answers each line on standard input until its
// end: "state" with "state <wall-clock ns of the last change> <base64 of the UTF-8 text> <base64
// of the non-modifier key presses, e.g. 'Ctrl+A F5'>", "clear" with "ok" once both are empty.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

class TypingTarget : public QPlainTextEdit
{
public:
    TypingTarget()
    {
        connect(this, &QPlainTextEdit::textChanged, this, [this] {
            m_lastChange = std::chrono::system_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
        });
        // Unbuffered, so every line waiting in the pipe wakes the notifier.
        m_input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_output.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered);
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readCommand(); });
        // The window manager gives new windows the focus, but a busy machine can lose the
        // race with the mapping; ask again until the window is active, then announce it.
        connect(&m_activation, &QTimer::timeout, this, [this] {
            if (!isActiveWindow())
                return activateWindow();
            m_activation.stop();
            m_output.write("ready " + QByteArray::number(qulonglong(winId())) + '\n');
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
    // Commands come whole, each line in one write; a readable input without a line is its end.
    void readCommand()
    {
        const QByteArray command = m_input.readLine();
        if (command.isEmpty())
            return QApplication::quit();
        if (command == "state\n") {
            m_output.write("state " + QByteArray::number(m_lastChange) + ' '
                + toPlainText().toUtf8().toBase64() + ' ' + m_keys.join(u' ').toUtf8().toBase64() + '\n');
        } else if (command == "clear\n") {
            clear();
            m_keys.clear();
            m_output.write("ok\n");
        }
    }

    QFile m_input, m_output;
    QSocketNotifier m_notifier {0, QSocketNotifier::Read};
    QTimer m_activation;
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
