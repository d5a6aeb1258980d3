#include "platform/foundation/StartUpHeap.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

// The VmFlags of the mapping that holds an address ("" when none does).
QString mappingFlags(const void* p)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return {};
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    bool inside = false;
    // Read whole: a file of /proc tells no size, so it would seem at its end.
    const QList<QByteArray> lines = smaps.readAll().split('\n');
    for (const QByteArray& bytes : lines) {
        const QString line = QString::fromLatin1(bytes).trimmed();
        const qsizetype dash = line.indexOf(QLatin1Char('-'));
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        bool startOk = false, endOk = false;
        if (dash > 0 && space > dash) {
            const auto start = line.left(dash).toULongLong(&startOk, 16);
            const auto end = line.mid(dash + 1, space - dash - 1).toULongLong(&endOk, 16);
            if (startOk && endOk) {
                inside = start <= at && at < end;
                continue;
            }
        }
        if (inside && line.startsWith(QLatin1String("VmFlags:")))
            return line.mid(8).trimmed();
    }
    return {};
}

bool hugePagesOffered()
{
    QFile setting(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    return setting.open(QIODevice::ReadOnly) && !setting.readAll().contains("[never]");
}

bool libraryAllocator()
{
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

} // namespace

// Start-up's allocations land on heap hinted for huge pages; afterwards
// large blocks are their own mappings again, so that closing a picture
// gives its memory back to the system.
TEST(StartUpHeap, StartUpAllocationsLieOnHugePageHintedHeapAndLargeBlocksAreMappedAfterwards)
{
    if (!libraryAllocator())
        GTEST_SKIP() << "another allocator than the C library's keeps the heap";
    if (!hugePagesOffered())
        GTEST_SKIP() << "the system offers no huge pages";

    platform::StartUpHeap::begin();
    // Enough small blocks that the allocator's lists of freed ones run dry
    // and the last come from the heap's end.
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 2000; ++i)
        blocks.emplace_back(new char[2048]);
    EXPECT_TRUE(mappingFlags(blocks.back().get()).split(QLatin1Char(' ')).contains(QLatin1String("hg")))
        << mappingFlags(blocks.back().get()).toStdString();
    // A block of a size a small picture takes comes from the heap too.
    void* during = std::malloc(std::size_t(3) << 20);
    EXPECT_LT(reinterpret_cast<char*>(during), static_cast<char*>(sbrk(0)));
    std::free(during);
    platform::StartUpHeap::end();

    void* after = std::malloc(std::size_t(3) << 20);
    ASSERT_NE(after, nullptr);
    EXPECT_GT(reinterpret_cast<char*>(after), static_cast<char*>(sbrk(0))) << "a mapping of its own, above the heap";
    std::free(after);
}
