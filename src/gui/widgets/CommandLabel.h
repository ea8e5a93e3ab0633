#pragma once

#include <QLabel>

// A label that works as a command button: dark blue, underlined under the mouse, grey when
// disabled, hand cursor, a click signal for the left button and a release signal that reports
// every button with the modifiers held, as many commands tell the left from the right button
// and the Shift, Ctrl and Alt keys apart.
//
// The keyboard reaches it too, without changing what the mouse does (a click does not take the
// focus): Tab stops at it and draws a dotted focus frame, Enter or Space acts as a left click
// and the menu key (or Shift+F10) as a right click, each with the modifiers held. Only a focus
// brought by Tab acts on keys: a dialog that opens with the focus on its first label keeps its
// own Enter. Screen readers see a button with a name and a press action.
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

    // Acts as a release of that mouse button over the label: what the keys and a screen
    // reader's press action do.
    void trigger(Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});

signals:
    void clicked();
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void underline(bool on);
    // A caption without markup, drawn as plain text rather than through a text document.
    bool plainCaption() const;
    void paintCaption(QPainter& painter);

    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_tabbedTo = false;
};
