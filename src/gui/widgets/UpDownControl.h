#pragma once

#include <QWidget>

// A pair of arrow buttons stacked on top of each other that step a list, with a signal for a
// right mouse release anywhere over the control.
class UpDownControl : public QWidget
{
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    QSize sizeHint() const override { return QSize(17, 21); }

signals:
    void upClicked();
    void downClicked();
    void rightReleased();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Half
    {
        None,
        Up,
        Down
    };
    Half halfAt(const QPoint& point) const;
    QRect rectOf(Half half) const;

    Half m_pressed = Half::None;
};
