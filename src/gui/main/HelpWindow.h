#pragma once

#include <QPointer>
#include <QStringList>
#include <QTextBrowser>

#include <memory>

// The in-program help: the HTML manual shipped with the program, in a browser window. F1
// pressed anywhere in the program opens it, also while a dialog is open. The browser window is
// made when the help is first asked for: a text browser costs the start of the program time.
class HelpWindow : public QObject
{
    Q_OBJECT
public:
    explicit HelpWindow(QObject* parent = nullptr);
    ~HelpWindow() override;

    // Makes F1 open the help in every window of the application.
    void catchF1Everywhere();

    // Shows the manual at its start page, or a page that says where it was looked for. A help
    // window that is not open yet opens over the main window, fully on its screen.
    void showHelp();
    void setMainWindow(QWidget* window) { m_mainWindow = window; }

    bool manualFound() const { return !m_manual.isEmpty(); }
    // The browser window; none before the help was first shown.
    QTextBrowser* browser() const { return m_browser.get(); }
    void close();

    // The places the manual is looked for: beside the program in a build tree or an installed
    // prefix (bin/../share/moxeno-trellin/help), then the prefix the program was built for.
    static QStringList candidates(const QString& programFolder);
    static QString findManual(const QString& programFolder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOverMainWindow();

    QString m_manual;
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<QTextBrowser> m_browser;
};
