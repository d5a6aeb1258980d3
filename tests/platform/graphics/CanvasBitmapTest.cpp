// Clearing canvas bitmaps of every origin: the pixels all become
// transparent, images that shared them keep theirs, and a large bitmap of
// make() gives its memory back rather than being written.
#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/CanvasCheckpoint.h"

#include <QPainter>
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

// A bitmap of any size starts transparent, also in memory that held other
// pixels just before, and is an image of its own: a copy drawn on leaves it.
TEST(CanvasBitmap, AMadeBitmapStartsTransparentInMemoryThatHeldOtherPixels)
{
    for (const QSize size : {QSize(40, 30), QSize(300, 300), QSize(1200, 1000), QSize(2000, 1500)}) {
        SCOPED_TRACE(size.width());
        {
            QImage used = CanvasBitmap::make(size);
            ASSERT_FALSE(used.isNull());
            used.fill(CanvasBitmap::pack(10, 20, 30, 255));
        } // its memory goes back, for the next one to take
        QImage image = CanvasBitmap::make(size);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(image.format(), CanvasBitmap::Format);
        EXPECT_TRUE(allTransparent(image));
        QImage copy = image;
        copy.setPixel(1, 1, 0xff00ff00u);
        EXPECT_TRUE(allTransparent(image));
        image.setPixel(2, 2, 0xff0000ffu);
        EXPECT_EQ(image.pixel(2, 2), 0xff0000ffu);
    }
}

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

// A large bitmap is known clear while nothing has opened it for writing
// since it was made or cleared; whatever writes (or could) ends that.
TEST(CanvasBitmap, ALargeBitmapIsKnownClearUntilSomethingMayHaveWritten)
{
    const struct {
        const char* name;
        std::function<void(QImage&)> use;
        bool stillKnownClear;
    } cases[] = {
        {"untouched", [](QImage&) {}, true},
        {"read only", [](QImage& i) { (void)i.constScanLine(7); (void)i.pixel(3, 3); }, true},
        {"a shared copy read", [](QImage& i) { const QImage copy = i; (void)copy.constBits(); }, true},
        {"written through bits()", [](QImage& i) { i.bits()[100] = 1; }, false},
        {"a row opened for writing, nothing written", [](QImage& i) { (void)i.scanLine(0); }, false},
        {"filled", [](QImage& i) { i.fill(0u); }, false},
        {"painted on", [](QImage& i) { QPainter(&i).fillRect(0, 0, 2, 2, Qt::red); }, false},
        {"written, then cleared", [](QImage& i) { i.bits()[100] = 1; CanvasBitmap::clear(i); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = CanvasBitmap::make(3000, 2000);
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(CanvasBitmap::isKnownClear(image));
        c.use(image);
        EXPECT_EQ(CanvasBitmap::isKnownClear(image), c.stillKnownClear);
        if (c.stillKnownClear)
            EXPECT_TRUE(allTransparent(image));
    }
    // Telling needs no look at the pixels.
    const QImage untouched = CanvasBitmap::make(3000, 2000);
    EXPECT_TRUE(CanvasBitmap::isKnownClear(untouched));
    EXPECT_EQ(residentPages(untouched), 0u);
    // A small bitmap, or one of another origin, cannot be told.
    EXPECT_FALSE(CanvasBitmap::isKnownClear(CanvasBitmap::make(10, 10)));
    QImage other(3000, 2000, CanvasBitmap::Format);
    other.fill(0u);
    EXPECT_FALSE(CanvasBitmap::isKnownClear(other));
    EXPECT_FALSE(CanvasBitmap::isKnownClear(QImage()));
}
