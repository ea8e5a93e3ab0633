#pragma once

#include <QLabel>

// A label that works as a command button: dark blue, underlined under the mouse, grey when
// disabled, hand cursor, a click signal for the left button and a release signal that reports
// every button with the modifiers held, as many commands tell the left from the right button
// and the Shift, Ctrl and Alt keys apart.
class CommandLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CommandLabel(const QString& text = QString(), QWidget* parent = nullptr);
    // A label with its control name and place, as the forms lay them out.
    CommandLabel(const QString& name, const QString& text, QWidget* parent, const QRect& geometry);

    // The dialogs' labels that look like buttons: a raised panel with the caption centred.
    static CommandLabel* button(
        const QString& name, const QString& text, QWidget* parent, const QRect& geometry);

signals:
    void clicked();
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void underline(bool on);

    Qt::MouseButton m_pressed = Qt::NoButton;
};
