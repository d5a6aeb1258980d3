#pragma once

#include <QObject>
#include <QPointer>

class QMainWindow;

// The application delegate: registers the editor's defaults and runs the
// launch sequence.
class SWAppController : public QObject {
    Q_OBJECT
public:
    SWAppController();
    ~SWAppController() override;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();

    // "App Build Info:[name - version] buid on [date time]".
    static QString buildLine();

private:
    QPointer<QMainWindow> m_window;
};
