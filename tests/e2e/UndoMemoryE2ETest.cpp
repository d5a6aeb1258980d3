// Undo memory on the real program: short pencil strokes on a 4000 x 3000
// picture must not each keep a copy of the picture.
#include "E2EHarness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Resident memory of a process in KiB, or -1.
long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Waits until the program's resident size stops moving (three equal-ish
// readings in a row) and returns it; -1 when it never settles.
long settledResidentKiB(E2EHarness& h, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<long> readings;
    while (timer.elapsed() < timeoutMs && h.isRunning()) {
        readings.push_back(residentKiB(h.processId()));
        if (readings.size() >= 3) {
            const auto last = readings.end() - 3;
            const auto [low, high] = std::minmax_element(last, readings.end());
            if (*high - *low <= 256)
                return readings.back();
        }
        QThread::msleep(250);
    }
    return -1;
}

// Waits until the screen pixel is no longer the given colour.
bool waitForChange(E2EHarness& h, QPoint at, QRgb from, int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && h.isRunning()) {
        const QImage shot = h.screenshot();
        if (!shot.isNull() && shot.rect().contains(at) && shot.pixel(at) != from)
            return true;
        QThread::msleep(100);
    }
    return false;
}

} // namespace

TEST(UndoMemoryE2E, ShortStrokesOnALargePictureGrowMemoryByLittle)
{
    E2EHarness h;
    // The sanitizer's quarantine would keep freed memory resident.
    h.setEnvironment(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=1:quarantine_size_mb=0:intercept_tls_get_addr=0"));
    ASSERT_TRUE(h.startServer());
    const QString picture = h.writeTestPicture(QStringLiteral("large.png"), QSize(4000, 3000));
    ASSERT_TRUE(h.launch({picture}));
    const QString window = h.waitForWindow(QStringLiteral("large.png"), 60000);
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    h.focus(window);

    // The canvas: the red top-left pixel of the blue picture.
    const QRgb blue = qRgb(20, 120, 220);
    QPoint origin(-1, -1);
    QElapsedTimer timer;
    timer.start();
    while (origin.x() < 0 && timer.elapsed() < 60000) {
        const QImage shot = h.screenshot();
        for (int y = 0; y + 1 < shot.height() && origin.x() < 0; ++y)
            for (int x = 0; x + 1 < shot.width(); ++x)
                if (shot.pixel(x, y) == qRgb(255, 0, 0) && shot.pixel(x + 1, y + 1) == blue) {
                    origin = QPoint(x, y);
                    break;
                }
        if (origin.x() < 0)
            QThread::msleep(200);
    }
    ASSERT_GE(origin.x(), 0) << "the picture is not on the screen";

    // Eleven short strokes with the pencil (the first tool), each seen on
    // the screen before the next; the first makes the one-time allocations
    // (the preview layer, the undo checkpoint).
    const auto stroke = [&](int i) {
        const QPoint a = origin + QPoint(20 + (i % 6) * 60, 20 + (i / 6) * 60);
        const QPoint b = a + QPoint(40, 10);
        h.mouseMove(a.x(), a.y());
        h.mouseDown(1);
        for (int s = 1; s <= 6; ++s)
            h.mouseMove(a.x() + (b.x() - a.x()) * s / 6, a.y() + (b.y() - a.y()) * s / 6);
        h.mouseUp(1);
        return waitForChange(h, (a + b) / 2, blue);
    };
    const long idle = settledResidentKiB(h);
    ASSERT_TRUE(stroke(0));
    const long before = settledResidentKiB(h);
    ASSERT_GT(before, 0);
    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(stroke(i)) << "stroke " << i;
    const long after = settledResidentKiB(h);
    ASSERT_GT(after, 0);
    const double perStrokeMiB = double(after - before) / 1024.0 / 10.0;
    RecordProperty("resident_per_stroke_KiB", int((after - before) / 10));
    EXPECT_LE(perStrokeMiB, 2.0) << "resident before " << before << " KiB, after " << after << " KiB";
    std::printf("resident with the picture open %ld KiB, after the first stroke %ld KiB, after ten more %ld KiB: "
                "%.2f MiB per stroke\n",
                idle, before, after, perStrokeMiB);

    // Undoing every stroke leaves nothing to save, and the first comes off.
    h.focus(window);
    for (int i = 0; i <= 10; ++i)
        h.key(QStringLiteral("ctrl+z"));
    const QPoint first = origin + QPoint(40, 25);
    QElapsedTimer undone;
    undone.start();
    while (h.screenshot().pixel(first) != blue && undone.elapsed() < 60000)
        QThread::msleep(200);
    EXPECT_EQ(h.screenshot().pixel(first), blue);
    h.quitCleanly(window);
}
