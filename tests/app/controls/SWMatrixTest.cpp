#include "SWMatrix.h"

#include "ControlTestSupport.h"
#include "KZTexturalButtonCell.h"

#include <gtest/gtest.h>

namespace {
QStringList* journal = nullptr;

// A skinned cell that writes its hover calls into the journal.
class RecordingCell : public KZTexturalButtonCell {
public:
    explicit RecordingCell(int index)
        : m_index(index)
    {
    }
    void customControlMouseEntered(QWidget* c, QEvent* e, const QVariantMap& u) override
    {
        if (journal)
            *journal << QString("enter %1").arg(m_index);
        KZTexturalButtonCell::customControlMouseEntered(c, e, u);
    }
    void customControlMouseExited(QWidget* c, QEvent* e, const QVariantMap& u) override
    {
        if (journal)
            *journal << QString("exit %1").arg(m_index);
        KZTexturalButtonCell::customControlMouseExited(c, e, u);
    }

private:
    int m_index;
};

// One row of three 30-point cells with 10-point gaps.
struct ThreeCells {
    QStringList calls;
    SWMatrix* matrix;
    ActionCounter counter{"selectedColor:"};
    std::unique_ptr<ControlHost> host;
    ThreeCells()
    {
        journal = &calls;
        int next = 0;
        matrix = new SWMatrix(platform::Matrix::RadioMode,
                              [&next] { return std::make_unique<RecordingCell>(next++); }, 1, 3);
        matrix->setCellSize(QSizeF(30, 30));
        matrix->setIntercellSpacing(QSizeF(10, 10));
        matrix->setTarget(&counter);
        matrix->setAction("selectedColor:");
        host = std::make_unique<ControlHost>(matrix, QRect(10, 10, 110, 30), QSize(160, 60));
        calls.clear();
    }
    ~ThreeCells() { journal = nullptr; }
};
} // namespace

TEST(SWMatrix, OneExitAndOneEnterPerCellChangeAndLeavingClearsTheHover)
{
    ThreeCells t;
    QTest::mouseMove(t.matrix, QPoint(5, 15));
    QTest::mouseMove(t.matrix, QPoint(20, 15)); // within the cell
    QTest::mouseMove(t.matrix, QPoint(35, 15)); // the gap changes nothing
    QTest::mouseMove(t.matrix, QPoint(45, 15));
    EXPECT_EQ(t.calls, QStringList({"enter 0", "exit 0", "enter 1"}));
    EXPECT_EQ(t.matrix->hoveredPoint(), QPoint(0, 1));
    EXPECT_EQ(t.matrix->hoveredCell(), t.matrix->cellAt(0, 1));
    EXPECT_EQ(static_cast<KZTexturalButtonCell*>(t.matrix->cellAt(0, 1))->texturalState() & 4u, 4u);

    QTest::mouseMove(&t.host->window, QPoint(150, 55));
    EXPECT_EQ(t.calls.last(), "exit 1");
    EXPECT_EQ(t.matrix->hoveredCell(), nullptr);
    EXPECT_EQ(t.matrix->hoveredPoint(), QPoint(-1, -1));
}

TEST(SWMatrix, AClickInAGapNeitherSelectsNorSends)
{
    ThreeCells t;
    QTest::mouseMove(t.matrix, QPoint(35, 15));
    QTest::mouseClick(t.matrix, Qt::LeftButton, {}, QPoint(35, 15));
    EXPECT_EQ(t.matrix->selectedCell(), nullptr);
    EXPECT_EQ(t.counter.count, 0);

    QTest::mouseMove(t.matrix, QPoint(85, 15));
    QTest::mouseClick(t.matrix, Qt::LeftButton, {}, QPoint(85, 15));
    EXPECT_EQ(t.matrix->selectedColumn(), 2);
    EXPECT_EQ(t.matrix->cellAt(0, 2)->state(), 1);
    EXPECT_EQ(t.counter.count, 1);
    EXPECT_EQ(t.counter.lastSender, t.matrix);
    // The pressed look ended with the click.
    EXPECT_EQ(static_cast<KZTexturalButtonCell*>(t.matrix->cellAt(0, 2))->texturalState() & 8u, 0u);
}
