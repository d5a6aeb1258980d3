// The brush set we ship: its list, its files and previews, and a stroke with
// every brush.
#include "DabBrushResource.h"
#include "DabBrushTool.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZToolboxController.h"
#include "SWImageDataSource.h"

#include "platform/foundation/Bundle.h"

#include <QDirIterator>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// Every (tag, brush file) of the shipped list.
std::vector<std::pair<int, QString>> shippedBrushes(const KZDabBrushListView& chooser)
{
    std::vector<std::pair<int, QString>> brushes;
    const auto& groups = chooser.brushesOrderArray();
    for (int g = 0; g < int(groups.size()); ++g) {
        for (int k = 1; k < int(groups.at(g).size()); ++k) {
            const int tag = KZDabBrushListView::tagForEntry(g, k);
            brushes.emplace_back(tag, chooser.brushFilePathFromTag(tag));
        }
    }
    return brushes;
}

// Paint in three bands, so brushes that move or remove paint show it too.
void paintBackdrop(QImage& image)
{
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, image.width() / 3, image.height()), QColor(210, 60, 50));
    painter.fillRect(QRect(image.width() / 3, 0, image.width() / 3, image.height()), QColor(240, 190, 60));
}

} // namespace

TEST(ShippedBrushSet, TheListNamesEveryBrushFileAndEveryEntryHasItsFileAndPreview)
{
    KZDabBrushListView chooser;
    const auto brushes = shippedBrushes(chooser);
    EXPECT_GE(chooser.brushesOrderArray().size(), 4);
    EXPECT_GE(brushes.size(), 12u);

    QSet<QString> listed;
    for (const auto& [tag, path] : brushes) {
        EXPECT_FALSE(path.isEmpty()) << "tag " << tag;
        listed.insert(path);
        KZDabBrushListButton* button = chooser.brushListItemWithTag(tag);
        ASSERT_NE(button, nullptr) << tag;
        // Previews are painted by the build.
        EXPECT_FALSE(button->iconImage().isNull()) << qPrintable(path);
        EXPECT_GE(button->iconImage().width(), 32) << qPrintable(path);
    }
    const QString folder =
        platform::Bundle::resourceDirectory() + QLatin1Char('/') + KZDabBrushListView::kBrushFolder;
    QDirIterator files(folder, {QStringLiteral("*.myb")}, QDir::Files, QDirIterator::Subdirectories);
    int fileCount = 0;
    while (files.hasNext()) {
        const QString file = QDir::cleanPath(files.next());
        ++fileCount;
        EXPECT_TRUE(listed.contains(file)) << qPrintable(file) << " is not in the list";
    }
    EXPECT_EQ(fileCount, int(listed.size()));
}

TEST(ShippedBrushSet, EveryBrushLoadsAndPaintsAStrokeAlongThePath)
{
    KZDabBrushListView chooser;
    for (const auto& [tag, path] : shippedBrushes(chooser)) {
        for (int width : {2, 9}) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 at width %2").arg(path).arg(width)));
            KZToolboxController controller;
            controller.setLineWidth(width);
            controller.updateInfo();
            DabBrushTool tool(&controller);
            ASSERT_TRUE(tool.loadBrushWithFilePath(path));
            tool.dabBrush()->brush()->random_source().seed(7); // the same scatter every run
            auto store = SWImageDataSource::create(QSizeF(240, 240), Qt::white);
            paintBackdrop(store->mainImage());
            const QImage before = store->mainImage().copy();

            // A stroke along y = 80, 10 ms between events.
            for (int i = 0; i <= 20; ++i) {
                const QPointF p(20 + i * 10, 80);
                const int phase = i == 0 ? 0 : (i == 20 ? 2 : 1);
                QMouseEvent event(phase == 1 ? QEvent::MouseMove : QEvent::MouseButtonPress, p, p, p, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                event.setTimestamp(ulong(1000 + 10 * i));
                tool.performDrawAtPoint(p, store.get(), phase, &event);
            }

            // Changed pixels lie around the path, not mirrored to y = 160.
            const QImage& after = store->mainImage();
            int changed = 0;
            double rowSum = 0;
            for (int y = 0; y < after.height(); ++y) {
                for (int x = 0; x < after.width(); ++x) {
                    if (after.pixel(x, y) != before.pixel(x, y)) {
                        ++changed;
                        rowSum += y;
                    }
                }
            }
            ASSERT_GT(changed, 20);
            EXPECT_NEAR(rowSum / changed, 80.0, 20.0);
        }
    }
}

TEST(ShippedBrushSet, TheHardRoundBrushPaintsTheChosenColourWhereItCoversFully)
{
    const QString path = platform::Bundle::resourceDirectory() + QLatin1Char('/') + KZDabBrushListView::kBrushFolder
        + QStringLiteral("/paint/hard_round.myb");
    // Spring and a few more crayons; the middle of a stroke painted twice
    // over white holds exactly the chosen colour.
    const QColor colours[] = {QColor(0, 255, 128), QColor(128, 0, 255), QColor(255, 128, 0), QColor(0, 64, 128),
                              QColor(102, 204, 255)};
    for (const QColor& chosen : colours) {
        SCOPED_TRACE(qPrintable(chosen.name()));
        KZToolboxController controller;
        controller.setLineWidth(5);
        controller.updateInfo();
        DabBrushTool tool(&controller);
        ASSERT_TRUE(tool.loadBrushWithFilePath(path));
        controller.setForegroundColor(chosen);
        auto store = SWImageDataSource::create(QSizeF(120, 60), Qt::white);
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i <= 20; ++i) {
                const QPointF p(10 + i * 5, 30);
                const int phase = i == 0 ? 0 : (i == 20 ? 2 : 1);
                QMouseEvent event(phase == 1 ? QEvent::MouseMove : QEvent::MouseButtonPress, p, p, p, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                event.setTimestamp(ulong(1000 * (pass + 1) + 10 * i));
                tool.performDrawAtPoint(p, store.get(), phase, &event);
            }
        }
        const QImage& after = store->mainImage();
        for (int x = 40; x <= 80; x += 10)
            EXPECT_EQ(after.pixelColor(x, 30).name(QColor::HexArgb).toStdString(), chosen.name(QColor::HexArgb).toStdString()) << "at " << x;
    }
}
