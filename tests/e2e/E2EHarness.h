#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Drives the real velumo binary on a private Xvfb server: its own display,
// its own settings folder, input through xdotool, and a check that the
// program exits cleanly without a sanitizer report.
class E2EHarness {
public:
    // How long a step may take to show its effect: generous, because the
    // sanitizer build on a loaded machine with two cores is slow. Steps wait
    // for their effect and return as soon as it shows.
    static constexpr int kDeadlineMs = 90000;

    E2EHarness();
    ~E2EHarness();

    // Starts a private Xvfb on a display it picks itself; a server that
    // does not answer a client is replaced (a few times at most).
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
    void drag(const QPoint& from, const QPoint& to, const QString& windowId, int button = 1, int steps = 10);
    QRect windowGeometry(const QString& windowId);
    QImage screenshot(const QString& windowId = QString());

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
    static QString testDataPath(const QString& relative);

private:
    bool startServerOnce();
    void stopServer();
    void collectOutput();
    QString describeExit() const;
    // A backtrace of every thread of the running program, through gdb.
    QString programThreads();
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_program;
    QTemporaryDir m_config;
    QTemporaryDir m_work;
    QString m_display;
    QString m_stderr;
    QString m_earlierStderr;
    QString m_stderrFile;
    int m_launches = 0;
    QProcessEnvironment m_extraEnvironment;
};
