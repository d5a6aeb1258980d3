#include "E2EHarness.h"

#include "AccessibleTree.h"
#include "E2ESessionBus.h"
#include "LeakReport.h"
#include "E2EProcessGroup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRect>
#include <QThread>
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

#include <unistd.h>

E2EHarness::E2EHarness() = default;

E2EHarness::~E2EHarness()
{
    stopProgram();
    stopServer();
}

void E2EHarness::stopProgram()
{
    if (!m_program)
        return;
    if (m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished(5000);
    }
    // Its group may still hold what it started (the web engine's helpers).
    E2EProcessGroup::end(m_programGroup);
    m_programGroup = 0;
}

QString E2EHarness::binaryPath()
{
    const QString other = qEnvironmentVariable("VELUMO_E2E_BINARY");
    return other.isEmpty() ? QStringLiteral(VELUMO_BINARY) : other;
}
QString E2EHarness::buildDir() { return QStringLiteral(VELUMO_BUILD_DIR); }

bool E2EHarness::showsWebPages(const QString& binary)
{
    return binary == QStringLiteral(VELUMO_PROMO_PROBE) || binary == QStringLiteral(VELUMO_PAU_HOST_PROBE);
}

QString E2EHarness::testDataPath(const QString& relative)
{
    return QStringLiteral(VELUMO_TEST_DATA_DIR) + QLatin1Char('/') + relative;
}

bool E2EHarness::startServer()
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (startServerOnce()) {
            // The program publishes its controls on the accessibility bus;
            // the session bus it finds that through is private to this
            // harness. A display server that gave up its display meanwhile
            // (to one still leaving it) makes the whole start again.
            m_bus = std::make_unique<E2ESessionBus>(m_busFolder.path());
            if (m_bus->start(m_display, kDeadlineMs) && serverAnswers())
                return true;
        }
        stopServer();
        m_display.clear();
    }
    return false;
}

bool E2EHarness::serverAnswers()
{
    if (!m_xvfb || m_xvfb->state() != QProcess::Running || m_xvfb->waitForFinished(0))
        return false;
    int code = -1;
    run(QStringLiteral("xdpyinfo"), {}, kDeadlineMs, &code);
    return code == 0 && m_xvfb->state() == QProcess::Running && !m_xvfb->waitForFinished(0);
}

void E2EHarness::stopServer()
{
    m_accessibleTree.reset();
    if (m_bus)
        m_bus->stop();
    m_bus.reset();
    if (m_xvfb && m_xvfb->state() != QProcess::NotRunning) {
        m_xvfb->terminate();
        if (!m_xvfb->waitForFinished(5000))
            m_xvfb->kill();
        m_xvfb->waitForFinished(5000);
    }
    E2EProcessGroup::end(m_xvfbGroup);
    m_xvfbGroup = 0;
}

bool E2EHarness::startServerOnce()
{
    // Xvfb picks a free display itself and writes its number to the pipe.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_xvfb->setStandardOutputFile(QProcess::nullDevice());
    const int writeFd = fds[1];
    m_xvfbGroup = E2EProcessGroup::start(*m_xvfb, QStringLiteral("Xvfb"),
                                         {QStringLiteral("-displayfd"), QString::number(writeFd), QStringLiteral("-screen"),
                                          QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp")},
                                         kDeadlineMs);
    close(fds[1]);
    if (m_xvfbGroup == 0) {
        close(fds[0]);
        return false;
    }
    QByteArray number;
    char c;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kDeadlineMs && read(fds[0], &c, 1) == 1) {
        if (c == '\n')
            break;
        number.append(c);
    }
    close(fds[0]);
    if (number.isEmpty())
        return false;
    m_display = QStringLiteral(":") + QString::fromLatin1(number);
    // The number comes before the server is fully up, and a server that
    // took a display another one is still leaving gives up right after: it
    // counts only once it answers a client.
    return serverAnswers();
}

bool E2EHarness::launch(const QStringList& arguments, const QString& binary)
{
    // A display server that has gone since (or was never started) is
    // started anew, with its buses.
    if ((m_display.isEmpty() || !m_xvfb || m_xvfb->state() != QProcess::Running || m_xvfb->waitForFinished(0)) &&
        !startServer())
        return false;
    collectOutput();
    m_earlierStderr = m_stderr;
    stopProgram();
    m_program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.insert(QStringLiteral("HOME"), m_work.path());
    env.insert(QStringLiteral("QT_FONT_DPI"), QStringLiteral("96"));
    // Its controls on the accessibility bus, found through the private
    // session bus, whether or not a screen reader asks for them.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus ? m_bus->address() : QString());
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    // The web engine's sandbox cannot run as root under Xvfb; the program
    // never turns it off itself.
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.remove(QStringLiteral("VELUMO_SHARE_DIR"));
    if (showsWebPages(binary)) {
        // The web engine allocates so often that recording whole stacks
        // would slow it past every deadline; the programs of the tests that
        // show pages are not judged for leaks (the engine keeps memory
        // until the process ends).
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0:abort_on_error=1:intercept_tls_get_addr=0"));
        env.remove(QStringLiteral("LSAN_OPTIONS"));
    } else {
        // A memory error ends the program at once (a crash to the harness).
        // intercept_tls_get_addr=0: see VELUMO_SANITIZER_RUNTIME_OPTIONS in
        // the tests' build file; the program loads the same plug-ins.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"));
        // Leaks are judged here, from the report, so that the libraries'
        // leaks neither fail a run nor hide ours (see LeakReport): the
        // report leaves the exit code alone and names each frame's module.
        // Stacks come from the fast unwinder: it stops at code a graphics
        // driver generates (LeakReport knows such stacks), but whole stacks
        // on every allocation slow the program until the pointer's motion
        // events merge and a drag loses its corners.
        env.insert(QStringLiteral("LSAN_OPTIONS"),
                   QStringLiteral("suppressions=%1/sanitizer/lsan-e2e.supp:print_suppressions=0:"
                                  "exitcode=0:stack_trace_format='%2'")
                       .arg(QStringLiteral(VELUMO_TESTS_DIR), LeakReport::stackTraceFormat()));
    }
    for (const QString& name : m_extraEnvironment.keys())
        env.insert(name, m_extraEnvironment.value(name));
    m_program->setProcessEnvironment(env);
    m_program->setWorkingDirectory(m_work.path());
    // Into files, not pipes: the harness reads no pipe while it waits, and a
    // program whose full pipe blocks its writes would look hung.
    m_lastArguments = arguments;
    m_lastBinary = binary;
    m_stderrFile = m_work.filePath(QStringLiteral("program-stderr-%1.txt").arg(++m_launches));
    m_program->setStandardErrorFile(m_stderrFile);
    m_program->setStandardOutputFile(m_work.filePath(QStringLiteral("program-stdout.txt")), QIODevice::Append);
    m_programGroup = E2EProcessGroup::start(*m_program, binary, arguments, kDeadlineMs);
    return m_programGroup != 0;
}

QString E2EHarness::run(const QString& program, const QStringList& args, int timeoutMs, int* exitCode)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        if (exitCode)
            *exitCode = -1;
        return {};
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QStringList E2EHarness::visibleWindows(const QString& namePattern)
{
    // --all: every criterion must hold (xdotool accepts any one by default).
    QStringList args{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                     QString::number(m_program->processId())};
    if (!namePattern.isEmpty())
        args << QStringLiteral("--name") << namePattern;
    return run(QStringLiteral("xdotool"), args, kDeadlineMs).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString E2EHarness::waitForWindow(const QString& namePattern, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    int relaunches = 0;
    for (;;) {
        while (timer.elapsed() < timeoutMs && isRunning()) {
            const QStringList ids = visibleWindows(namePattern);
            if (!ids.isEmpty())
                return ids.last();
            QThread::msleep(100);
        }
        // A display server can give its display up after it answered (to
        // another one still leaving that display): the program then never
        // connects. That says nothing of the program, so it gets a new
        // server and starts again, a few times at most.
        if (isRunning() || relaunches >= 3 || !lastLaunchFoundNoDisplay())
            break;
        ++relaunches;
        stopServer();
        m_display.clear();
        if (!launch(m_lastArguments, m_lastBinary))
            break;
        timer.restart();
    }
    if (!isRunning()) {
        collectOutput();
        std::cerr << "The program ended while a window matching \"" << namePattern.toStdString()
                  << "\" was awaited (exit " << describeExit().toStdString() << "); its standard error:\n"
                  << m_stderr.toStdString() << std::endl;
    } else if (timeoutMs >= kDeadlineMs) {
        // A window that never came within the full deadline: say what the
        // display shows and where the program stands, for whoever reads the log.
        collectOutput();
        std::cerr << "No window matching \"" << namePattern.toStdString() << "\"; the display shows:\n"
                  << run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}).toStdString()
                  << "\nThe program's standard error so far:\n" << m_stderr.toStdString()
                  << "\nThe program's threads:\n" << programThreads().toStdString() << std::endl;
    }
    return {};
}

QString E2EHarness::windowName(const QString& windowId)
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), windowId}).trimmed();
}

void E2EHarness::focus(const QString& windowId)
{
    // --sync waits until the window has the focus.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
}

void E2EHarness::key(const QString& keys)
{
    // Input reaches the program in the order sent; steps that depend on its
    // effect wait for that effect, not for time.
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50"), keys});
}

void E2EHarness::type(const QString& text)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void E2EHarness::mouseMove(int x, int y, const QString& windowId)
{
    QStringList args{QStringLiteral("mousemove")};
    if (!windowId.isEmpty())
        args << QStringLiteral("--window") << windowId;
    args << QString::number(x) << QString::number(y);
    run(QStringLiteral("xdotool"), args);
}

void E2EHarness::mouseDown(int button)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousedown"), QString::number(button)});
}

void E2EHarness::mouseUp(int button)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QString::number(button)});
}

void E2EHarness::click(int button)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QString::number(button)});
}

void E2EHarness::drag(const QPoint& from, const QPoint& to, const QString& windowId, int button, int steps)
{
    mouseMove(from.x(), from.y(), windowId);
    mouseDown(button);
    for (int i = 1; i <= steps; ++i) {
        const int x = from.x() + (to.x() - from.x()) * i / steps;
        const int y = from.y() + (to.y() - from.y()) * i / steps;
        mouseMove(x, y, windowId);
    }
    mouseUp(button);
}

QRect E2EHarness::windowGeometry(const QString& windowId)
{
    const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windowId});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const auto parts = line.split(QLatin1Char('='));
        if (parts.size() != 2)
            continue;
        if (parts[0] == QLatin1String("X")) x = parts[1].toInt();
        if (parts[0] == QLatin1String("Y")) y = parts[1].toInt();
        if (parts[0] == QLatin1String("WIDTH")) w = parts[1].toInt();
        if (parts[0] == QLatin1String("HEIGHT")) h = parts[1].toInt();
    }
    return {x, y, w, h};
}

AccessibleTree* E2EHarness::accessibleTree()
{
    if (!m_accessibleTree && m_bus && m_bus->isRunning())
        m_accessibleTree = std::make_unique<AccessibleTree>(m_bus->accessibilityAddress());
    return m_accessibleTree.get();
}

AccessibleControl E2EHarness::findControl(const QString& name, const QString& windowId, int timeoutMs)
{
    AccessibleControl control;
    QStringList shown;
    QElapsedTimer timer;
    timer.start();
    waitUntil(
        [&] {
            AccessibleTree* tree = accessibleTree();
            if (!tree || !isRunning())
                return true;
            const QRect window = windowId.isEmpty() ? QRect() : windowGeometry(windowId);
            if (!windowId.isEmpty() && window.isEmpty())
                return false;
            shown.clear();
            const QList<AccessibleControl> found =
                tree->find(processId(), name, window, int(std::max<qint64>(timeoutMs - timer.elapsed(), 1000)), &shown);
            if (found.isEmpty())
                return false;
            control = found.constFirst();
            return true;
        },
        timeoutMs);
    if (!control.found && timeoutMs >= kDeadlineMs) {
        // Say what did show, for whoever reads the log.
        shown.removeDuplicates();
        std::cerr << "No control named \"" << name.toStdString() << "\" showed"
                  << (windowId.isEmpty() ? std::string() : " in window " + windowId.toStdString())
                  << (isRunning() ? std::string() : " (the program is not running)") << "; the names shown:\n  "
                  << shown.join(QStringLiteral(" | ")).toStdString() << std::endl;
    }
    return control;
}

QRect E2EHarness::controlExtents(const QString& name, const QString& windowId, int timeoutMs)
{
    const AccessibleControl control = findControl(name, windowId, timeoutMs);
    return control.found ? control.extents : QRect();
}

bool E2EHarness::clickControl(const QString& name, const QString& windowId, int button)
{
    const AccessibleControl control = findControl(name, windowId);
    if (!control.found)
        return false;
    mouseMove(control.centre().x(), control.centre().y());
    click(button);
    return true;
}

bool E2EHarness::chooseControl(const QString& name, const QString& windowId)
{
    return clickControl(name, windowId) && waitUntil([&] { return findControl(name, windowId).isChecked(); });
}

QImage E2EHarness::screenshot(const QString& windowId)
{
    const QString file = m_work.filePath(QStringLiteral("screenshot.png"));
    run(QStringLiteral("import"), {QStringLiteral("-window"), windowId.isEmpty() ? QStringLiteral("root") : windowId, file});
    return QImage(file);
}

void E2EHarness::collectOutput()
{
    QFile file(m_stderrFile);
    if (!m_stderrFile.isEmpty() && file.open(QIODevice::ReadOnly))
        m_stderr = m_earlierStderr + QString::fromLocal8Bit(file.readAll());
}

bool E2EHarness::lastLaunchFoundNoDisplay() const
{
    QFile file(m_stderrFile);
    return !m_stderrFile.isEmpty() && file.open(QIODevice::ReadOnly) &&
           file.readAll().contains("could not connect to display");
}

QString E2EHarness::describeExit() const
{
    if (!m_program)
        return QStringLiteral("never started");
    if (m_program->exitStatus() == QProcess::CrashExit)
        return QStringLiteral("crashed");
    return QStringLiteral("code %1").arg(m_program->exitCode());
}

QString E2EHarness::programThreads()
{
    QProcess gdb;
    gdb.setProcessChannelMode(QProcess::MergedChannels);
    gdb.start(QStringLiteral("gdb"), {QStringLiteral("-p"), QString::number(processId()), QStringLiteral("-batch"),
                                      QStringLiteral("-ex"), QStringLiteral("thread apply all bt 25")});
    if (!gdb.waitForFinished(60000))
        gdb.kill();
    gdb.waitForFinished(5000);
    return QString::fromLocal8Bit(gdb.readAll());
}

qint64 E2EHarness::processId() const
{
    return isRunning() ? m_program->processId() : 0;
}

qint64 E2EHarness::peakMemoryKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(processId()));
    if (processId() <= 0 || !status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool E2EHarness::isRunning() const
{
    // The harness runs no event loop, so QProcess hears of the program's end
    // only when asked: a zero wait makes it look.
    return m_program && m_program->state() != QProcess::NotRunning && !m_program->waitForFinished(0);
}

int E2EHarness::waitForExit(int timeoutMs)
{
    if (!m_program)
        return -1;
    const bool finished = m_program->waitForFinished(timeoutMs);
    collectOutput();
    if (!finished) {
        m_program->kill();
        m_program->waitForFinished(5000);
        collectOutput();
        return -1;
    }
    if (m_program->exitStatus() != QProcess::NormalExit)
        return -1;
    return m_program->exitCode();
}

bool E2EHarness::stderrHasSanitizerReport()
{
    collectOutput();
    return m_stderr.contains(QLatin1String("ERROR: AddressSanitizer")) ||
           m_stderr.contains(QLatin1String("runtime error:")) || !LeakReport(m_stderr).leaksOfOurCode().isEmpty();
}

QString E2EHarness::settingsFile() const
{
    return m_config.path() + QStringLiteral("/Velumo/Velumo.ini");
}

bool E2EHarness::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (condition())
            return true;
        if (timer.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(100);
    }
}

bool E2EHarness::waitForFile(const QString& path, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        // Files are written beside and renamed into place: once there
        // with content, they are whole.
        if (QFileInfo(path).size() > 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool E2EHarness::waitForNoWindow(const QString& pattern, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (visibleWindows(pattern).isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

void E2EHarness::typeIntoSavePanel(const QString& documentWindow, const QString& path)
{
    // A busy machine may show the window before it takes keys: the shortcut
    // is sent again (a few times at most) until the panel shows.
    QString panel;
    for (int attempt = 0; attempt < 3 && panel.isEmpty() && isRunning(); ++attempt) {
        focus(documentWindow);
        key(QStringLiteral("ctrl+shift+s"));
        panel = waitForWindow(QStringLiteral("^Save$"), 10000);
    }
    if (panel.isEmpty())
        return;
    focus(panel);
    key(QStringLiteral("ctrl+a"));
    type(path);
    key(QStringLiteral("Return"));
}

QString E2EHarness::saveAs(const QString& documentWindow, const QString& base, const QString& extension)
{
    typeIntoSavePanel(documentWindow, base);
    const QString written = base + QLatin1Char('.') + extension;
    const bool saved = waitForFile(written);
    focus(documentWindow);
    return saved ? written : QString();
}

QString E2EHarness::identify(const QString& path)
{
    int code = -1;
    const QString out = run(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h\\n"), path},
                            kDeadlineMs, &code);
    return code == 0 ? out.split(QLatin1Char('\n')).first().trimmed() : QString();
}

QImage E2EHarness::decodeIndependently(const QString& path)
{
    const QStringList size = identify(path).split(QLatin1Char(' '));
    if (size.size() != 3)
        return {};
    const int width = size[1].toInt();
    const int height = size[2].toInt();
    const QString raw = path + QStringLiteral(".rgba");
    int code = -1;
    run(QStringLiteral("convert"), {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgba:") + raw},
        kDeadlineMs, &code);
    QFile file(raw);
    if (code != 0 || width <= 0 || height <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() != qsizetype(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y)
        memcpy(image.scanLine(y), bytes.constData() + qsizetype(y) * width * 4, size_t(width) * 4);
    return image;
}

QString E2EHarness::writeTestPicture(const QString& name, const QSize& size)
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(QColor(20, 120, 220));
    picture.setPixelColor(0, 0, Qt::red);
    const QString path = m_work.filePath(name);
    picture.save(path, "PNG");
    return path;
}

void E2EHarness::quitCleanly(const QString& window)
{
    focus(window);
    key(QStringLiteral("ctrl+q"));
    EXPECT_EQ(waitForExit(), 0);
    EXPECT_FALSE(stderrHasSanitizerReport()) << standardError().toStdString();
}
