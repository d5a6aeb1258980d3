#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Drives the real velumo binary on a private Xvfb server: its own display,
// its own settings folder, input through xdotool, and a check that the
// program exits cleanly without a sanitizer report.
class E2EHarness {
public:
    E2EHarness();
    ~E2EHarness();

    bool startServer();
    // Starts the program with the given arguments. Returns false when it
    // could not be started.
    bool launch(const QStringList& arguments = {}, const QString& binary = binaryPath());
    // Waits until the program shows a window whose name matches the pattern
    // (xdotool's regular expression; empty: any window). Returns its id.
    QString waitForWindow(const QString& namePattern = QString(), int timeoutMs = 20000);
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
    int waitForExit(int timeoutMs = 20000);
    bool isRunning() const;

    QString standardError() const { return m_stderr; }
    // The running program's process id (0 when none), and the most memory
    // it has held so far (its peak resident set, in KiB; -1 when unknown).
    qint64 processId() const;
    qint64 peakMemoryKiB() const;
    bool stderrHasSanitizerReport() const;
    QString settingsDir() const { return m_config.path(); }
    QString settingsFile() const;
    QString workDir() const { return m_work.path(); }
    QString display() const { return m_display; }

    // Waits until a file exists with some content (and a moment more, for a
    // rename to settle).
    bool waitForFile(const QString& path, int timeoutMs = 15000);
    // Waits until the program shows no window matching the pattern.
    bool waitForNoWindow(const QString& pattern, int timeoutMs = 10000);
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
    QString run(const QString& program, const QStringList& args, int timeoutMs = 20000, int* exitCode = nullptr);

    static QString binaryPath();
    static QString buildDir();
    static QString testDataPath(const QString& relative);

private:
    void collectOutput();
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_program;
    QTemporaryDir m_config;
    QTemporaryDir m_work;
    QString m_display;
    QString m_stderr;
};
