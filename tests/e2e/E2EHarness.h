#pragma once

#include "AccessibleControl.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include <sys/types.h>

class AccessibleTree;
class E2ESessionBus;

// Drives the real velumo binary on a private Xvfb server: its own display,
// its own session bus with the accessibility bus, its own settings folder,
// input through xdotool, and a check that the program exits cleanly without
// a sanitizer report.
//
// Controls are found by their accessible names, as a screen reader finds
// them, never by where a layout puts them:
//
//     ASSERT_TRUE(h.chooseControl(QStringLiteral("Eraser"), window)); // a tool, by its label
//     const QRect canvas = h.canvasExtents(window);                  // the picture on the screen
//     h.drag(canvas.topLeft() + QPoint(10, 10), canvas.topLeft() + QPoint(90, 10));
//     h.clickControl(QStringLiteral("Color 1"), window);             // any other control
//
// Every lookup waits (up to its deadline) until the control shows, so a
// test needs no wait of its own for the window to be painted.
class E2EHarness {
public:
    // How long a step may take to show its effect: generous, because the
    // sanitizer build on a loaded machine with two cores is slow. Steps wait
    // for their effect and return as soon as it shows.
    static constexpr int kDeadlineMs = 90000;

    E2EHarness();
    ~E2EHarness();

    // Starts a private Xvfb on a display it picks itself (a server that
    // does not answer a client is replaced, a few times at most), then the
    // session and accessibility buses the program will use.
    bool startServer();
    // Starts the program with the given arguments. Returns false when it
    // could not be started.
    bool launch(const QStringList& arguments = {}, const QString& binary = binaryPath());
    // Waits until the program shows a window whose name matches the pattern
    // (xdotool's regular expression; empty: any window). Returns its id.
    QString waitForWindow(const QString& namePattern = QString(), int timeoutMs = kDeadlineMs);
    QStringList visibleWindows(const QString& namePattern = QString());
    QString windowName(const QString& windowId);
    void focus(const QString& windowId);
    void key(const QString& keys);
    void type(const QString& text);
    void mouseMove(int x, int y, const QString& windowId = QString());
    void mouseDown(int button = 1);
    void mouseUp(int button = 1);
    void click(int button = 1);
    // From and to are relative to the window, or screen points when
    // windowId is empty.
    void drag(const QPoint& from, const QPoint& to, const QString& windowId = QString(), int button = 1, int steps = 10);
    QRect windowGeometry(const QString& windowId);
    QImage screenshot(const QString& windowId = QString());

    // The program's control with this accessible name (a tool's label, a
    // button's title, a brush's entry in the brush list, kCanvasName...),
    // found through the accessibility tree once it shows on the screen.
    // windowId (from waitForWindow) limits the search to that window; empty:
    // every window of the program. Should several controls show with the
    // name, the first in the tree counts. found is false when none showed
    // within the time; at the full deadline what did show is printed.
    AccessibleControl findControl(const QString& name, const QString& windowId = QString(), int timeoutMs = kDeadlineMs);
    // Its rectangle in screen coordinates, or a null rectangle.
    QRect controlExtents(const QString& name, const QString& windowId = QString(), int timeoutMs = kDeadlineMs);
    // Moves the mouse to the middle of the control and clicks; false when
    // it never showed.
    bool clickControl(const QString& name, const QString& windowId = QString(), int button = 1);
    // Clicks a control that stays chosen (a tool, a brush) and waits until
    // it shows as checked; false when it never did.
    bool chooseControl(const QString& name, const QString& windowId = QString());
    // The canvas of a document window: where the picture shows, in screen
    // coordinates and at the current zoom (a picture pixel (x, y) at 100 %
    // is the screen pixel topLeft() + (x, y)).
    QRect canvasExtents(const QString& windowId = QString(), int timeoutMs = kDeadlineMs)
    {
        return controlExtents(kCanvasName, windowId, timeoutMs);
    }
    static inline const QString kCanvasName = QStringLiteral("Canvas");

    // Waits for the program to end; returns its exit code, or -1 when it
    // did not end in time (it is then killed) or crashed.
    int waitForExit(int timeoutMs = kDeadlineMs);
    bool isRunning() const;
    // The program's process id, or 0 when it is not running.
    qint64 processId() const;
    // An environment variable for the next launches, over the harness's own.
    void setEnvironment(const QString& name, const QString& value) { m_extraEnvironment.insert(name, value); }

    // What the program (and those launched before it) wrote to standard error so far.
    QString standardError()
    {
        collectOutput();
        return m_stderr;
    }
    // The most memory the running program has held so far (its peak
    // resident set, in KiB; -1 when unknown).
    qint64 peakMemoryKiB() const;
    // Whether the program reported a memory error, undefined behaviour or
    // a leak of our code (the libraries' own leaks do not count; see
    // LeakReport).
    bool stderrHasSanitizerReport();
    QString settingsDir() const { return m_config.path(); }
    QString settingsFile() const;
    QString workDir() const { return m_work.path(); }
    QString display() const { return m_display; }

    // Checks the condition until it holds (true) or the deadline passes.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kDeadlineMs);
    // Waits until a file exists with some content (and a moment more, for a
    // rename to settle).
    bool waitForFile(const QString& path, int timeoutMs = kDeadlineMs);
    // Waits until the program shows no window matching the pattern.
    bool waitForNoWindow(const QString& pattern, int timeoutMs = kDeadlineMs);
    // Save As through the keyboard: the save panel opens and the path is typed
    // over the proposed name and confirmed. Does not wait for the file.
    void typeIntoSavePanel(const QString& documentWindow, const QString& path);
    // The same, then waits for "base.extension"; returns it, or an empty text
    // when no such file was written.
    QString saveAs(const QString& documentWindow, const QString& base, const QString& extension = QStringLiteral("png"));
    // "FORMAT WIDTH HEIGHT" as ImageMagick's identify reads a file, or empty.
    QString identify(const QString& path);
    // A picture as ImageMagick decodes it (8-bit RGBA, not premultiplied),
    // not through the program's own decoder; null when it cannot.
    QImage decodeIndependently(const QString& path);

    // A PNG of the given size in the work folder, filled with one blue and
    // with a red top-left pixel (so orientation shows); returns its path.
    QString writeTestPicture(const QString& name, const QSize& size);
    // Ctrl+Q on the window, then the program must end with 0 and no
    // sanitizer report (checked as test expectations).
    void quitCleanly(const QString& window);

    // Runs a helper command (xdotool, identify, ...) on the harness display.
    QString run(const QString& program, const QStringList& args, int timeoutMs = kDeadlineMs, int* exitCode = nullptr);

    // The program under test: VELUMO_E2E_BINARY when set (to try the tests
    // on another build), else the one of this build tree.
    static QString binaryPath();
    static QString buildDir();
    // Whether the binary is one of the programs of the tests that show web
    // pages (their leaks are not judged).
    static bool showsWebPages(const QString& binary);
    static QString testDataPath(const QString& relative);

private:
    bool startServerOnce();
    // Whether our display server still runs and answers a client.
    bool serverAnswers();
    AccessibleTree* accessibleTree();
    void stopServer();
    // Ends the program (and what it started) if it still runs.
    void stopProgram();
    void collectOutput();
    QString describeExit() const;
    // Whether the latest launch ended because it found no display server.
    bool lastLaunchFoundNoDisplay() const;
    // A backtrace of every thread of the running program, through gdb.
    QString programThreads();
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_program;
    // Each leads a process group of its own (see E2EProcessGroup).
    pid_t m_xvfbGroup = 0;
    pid_t m_programGroup = 0;
    QTemporaryDir m_busFolder;
    std::unique_ptr<E2ESessionBus> m_bus;
    std::unique_ptr<AccessibleTree> m_accessibleTree;
    QTemporaryDir m_config;
    QTemporaryDir m_work;
    QString m_display;
    QString m_stderr;
    QString m_earlierStderr;
    QString m_stderrFile;
    int m_launches = 0;
    QStringList m_lastArguments;
    QString m_lastBinary;
    QProcessEnvironment m_extraEnvironment;
};
