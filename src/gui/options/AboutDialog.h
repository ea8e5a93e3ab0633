#pragma once

#include <QColor>
#include <QDialog>

class CommandLabel;
class DataContext;
class OptionsPickers;
class QCheckBox;
class QPushButton;

// "About...": the program's title and release, the way to the maker's page, and the everyday
// options: the colour of the position buttons, the overwrite warning and the way into the
// advanced options. The window it belongs to applies the colour, opens the maker's page and
// the help, and reloads its boxes after the data folder moved.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    AboutDialog(DataContext& context, OptionsPickers& pickers, const QColor& buttonColour,
        const QString& makerAddress, QWidget* parent = nullptr);

    QColor buttonColour() const { return m_colour; }

    // A colour as stored: red + 256 x green + 65536 x blue.
    static unsigned toBgr(const QColor& colour);
    static QColor defaultColour();

    static constexpr int kClientWidth = 6000;
    static constexpr int kClientHeight = 3720;

signals:
    void buttonColourChanged(const QColor& colour);
    void makerPageRequested();
    void helpRequested();
    void dataFolderChanged();

public slots:
    // However the dialog closes, the warning option is stored: it is the only way back to the
    // overwrite question once the user turned it off there.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void colourReleased(Qt::MouseButton button);
    void setColour(const QColor& colour);
    void showAdvanced();

    DataContext& m_context;
    OptionsPickers& m_pickers;
    QColor m_colour;
    QPushButton* m_colourButton;
    QCheckBox* m_warnOverwrite;
};
