// Clearing canvas bitmaps of every origin: the pixels all become
// transparent, images that shared them keep theirs, and a large bitmap of
// make() gives its memory back rather than being written.
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasCheckpoint.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

using platform::CanvasBitmap;

namespace {

bool allTransparent(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != 0)
                return false;
    }
    return true;
}

// Pages of the bitmap's memory that are resident, by the kernel's count
// (not by reading them, which would bring them in).
std::size_t residentPages(const QImage& image)
{
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t bytes = std::size_t(image.bytesPerLine()) * std::size_t(image.height());
    std::vector<unsigned char> states((bytes + page - 1) / page);
    if (mincore(const_cast<uchar*>(image.constBits()), bytes, states.data()) != 0)
        return std::size_t(-1);
    std::size_t resident = 0;
    for (unsigned char state : states)
        resident += state & 1;
    return resident;
}

} // namespace

TEST(CanvasBitmap, ClearingMakesEveryPixelTransparentWhateverTheBitmap)
{
    const std::uint32_t red = CanvasBitmap::pack(255, 0, 0, 255);
    struct Case {
        const char* name;
        QSize size;
        // Makes the bitmap to clear; may keep another image that shares it.
        std::function<QImage(QSize, QImage& other, std::unique_ptr<platform::CanvasCheckpoint>& kept)> make;
    };
    const std::vector<Case> cases{
        {"small", {40, 30}, [](QSize s, QImage&, auto&) { return CanvasBitmap::make(s); }},
        {"large, of its own mapping", {2000, 1500}, [](QSize s, QImage&, auto&) { return CanvasBitmap::make(s); }},
        {"large, shared with another image", {2000, 1500},
         [](QSize s, QImage& other, auto&) {
             other = CanvasBitmap::make(s);
             other.fill(CanvasBitmap::pack(0, 0, 255, 255));
             return other;
         }},
        {"large, made by Qt", {2000, 1500}, [](QSize s, QImage&, auto&) { return QImage(s, CanvasBitmap::Format); }},
        // A file mapping dropped would read its file again, not zeros.
        {"large, sharing pages with a checkpoint", {2000, 1500},
         [](QSize s, QImage&, std::unique_ptr<platform::CanvasCheckpoint>& kept) {
             QImage live = CanvasBitmap::make(s);
             live.fill(CanvasBitmap::pack(0, 255, 0, 255));
             kept = platform::CanvasCheckpoint::take(live);
             EXPECT_TRUE(kept && kept->sharesWith(live));
             return live;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage other;
        std::unique_ptr<platform::CanvasCheckpoint> kept;
        QImage image = c.make(c.size, other, kept);
        const QImage before = other.isNull() ? QImage() : other.copy();
        if (other.isNull())
            image.fill(red);
        ASSERT_TRUE(CanvasBitmap::clear(image));
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), CanvasBitmap::Format);
        EXPECT_TRUE(allTransparent(image));
        if (!other.isNull())
            EXPECT_EQ(other, before) << "the image it shared with keeps its pixels";
    }
}

TEST(CanvasBitmap, ClearingALargeBitmapGivesItsMemoryBack)
{
    QImage image = CanvasBitmap::make(3000, 2000);
    ASSERT_FALSE(image.isNull());
    image.fill(CanvasBitmap::pack(1, 2, 3, 255));
    ASSERT_GT(residentPages(image), 1000u);
    ASSERT_TRUE(CanvasBitmap::clear(image));
    EXPECT_EQ(residentPages(image), 0u);
    EXPECT_TRUE(allTransparent(image));
    image.setPixel(5, 5, 0xff00ff00u); // drawn on again as usual
    EXPECT_EQ(image.pixel(5, 5), 0xff00ff00u);
}
