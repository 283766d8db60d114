#pragma once
// The application object and its general error handler: an unexpected
// failure raised in any event handler (a StationError, or any other
// exception) ends that handler and its text is shown in a message box; the
// station keeps running.

#include <QApplication>

class Dialogs;

class StationApplication : public QApplication
{
public:
    StationApplication(int &argc, char **argv);
    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the text of an unexpected failure.
    void ShowError(const QString &text);

private:
    Dialogs *m_dialogs = nullptr;
};
