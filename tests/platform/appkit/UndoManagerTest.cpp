// The undo manager's behaviours that the document relies on.
#include "platform/appkit/UndoManager.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using platform::UndoManager;

namespace {

// Records the changes the manager signals.
struct ChangeLog {
    std::vector<UndoManager::Change> changes;
    explicit ChangeLog(UndoManager& undo)
    {
        QObject::connect(&undo, &UndoManager::changed, [this](UndoManager::Change c) { changes.push_back(c); });
    }
};

// The document's pattern: a change registers the way back before it
// happens, and the way back is itself such a change.
struct Model {
    UndoManager undo;
    int value = 0;
    std::vector<int> history; // every value set, in order

    void set(int v)
    {
        const int old = value;
        undo.registerUndo([this, old] { set(old); });
        value = v;
        history.push_back(v);
    }
};

// The event loop comes round: the open group closes.
void nextEvent()
{
    QCoreApplication::processEvents();
}

} // namespace

TEST(UndoManager, RegistrationsOfOneEventFormOneStep)
{
    Model m;
    m.set(1);
    m.set(2);
    m.set(3);
    nextEvent();
    EXPECT_EQ(m.undo.undoCount(), 1);
    m.undo.undo();
    EXPECT_EQ(m.value, 0); // all three undone, newest first: 2, 1, then 0
    EXPECT_EQ(m.history, (std::vector<int>{1, 2, 3, 2, 1, 0}));
    EXPECT_FALSE(m.undo.canUndo());
    EXPECT_TRUE(m.undo.canRedo());
    m.undo.redo();
    EXPECT_EQ(m.value, 3); // redone in the original order
}

TEST(UndoManager, EachEventIsItsOwnStep)
{
    Model m;
    for (int v = 1; v <= 3; ++v) {
        m.set(v);
        nextEvent();
    }
    EXPECT_EQ(m.undo.undoCount(), 3);
    m.undo.undo();
    EXPECT_EQ(m.value, 2);
    m.undo.undo();
    EXPECT_EQ(m.value, 1);
    m.undo.redo();
    EXPECT_EQ(m.value, 2);
    m.undo.redo();
    EXPECT_EQ(m.value, 3);
    EXPECT_FALSE(m.undo.canRedo());
}

TEST(UndoManager, AKeyPressHandledInTheSameTurnStartsANewStep)
{
    // Two commands typed faster than the loop comes round are two steps.
    Model m;
    QObject focus;
    m.set(1);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&focus, &press);
    m.set(2);
    nextEvent();
    EXPECT_EQ(m.undo.undoCount(), 2);
    m.undo.undo();
    EXPECT_EQ(m.value, 1);
}

TEST(UndoManager, UndoAndRedoAlternateBetweenTwoStates)
{
    Model m;
    m.set(5);
    nextEvent();
    for (int round = 0; round < 4; ++round) {
        m.undo.undo();
        nextEvent();
        EXPECT_EQ(m.value, 0);
        EXPECT_EQ(m.undo.undoCount(), 0);
        EXPECT_EQ(m.undo.redoCount(), 1);
        m.undo.redo();
        nextEvent();
        EXPECT_EQ(m.value, 5);
        EXPECT_EQ(m.undo.undoCount(), 1);
        EXPECT_EQ(m.undo.redoCount(), 0);
    }
}

TEST(UndoManager, NewRegistrationClearsRedo)
{
    Model m;
    m.set(1);
    nextEvent();
    m.set(2);
    nextEvent();
    m.undo.undo();
    ASSERT_TRUE(m.undo.canRedo());
    m.set(7);
    EXPECT_FALSE(m.undo.canRedo());
    nextEvent();
    m.undo.undo();
    EXPECT_EQ(m.value, 1);
    m.undo.undo();
    EXPECT_EQ(m.value, 0);
}

TEST(UndoManager, UndoClosesTheOpenGroupFirst)
{
    // A tool commits its work and registers in the same event as the undo command.
    Model m;
    m.set(1);
    nextEvent();
    m.set(2);
    EXPECT_TRUE(m.undo.canUndo());
    m.undo.undo();
    EXPECT_EQ(m.value, 1);
    m.undo.undo();
    EXPECT_EQ(m.value, 0);
}

TEST(UndoManager, LevelLimit)
{
    struct Case {
        int levels;
        int steps;
        int undoable;
    };
    const Case cases[] = {{2, 3, 2}, {0, 150, 150}, {128, 130, 128}, {1, 1, 1}};
    for (const Case& c : cases) {
        Model m;
        m.undo.setLevelsOfUndo(c.levels);
        for (int v = 1; v <= c.steps; ++v) {
            m.set(v);
            nextEvent();
        }
        int undone = 0;
        while (m.undo.canUndo()) {
            m.undo.undo();
            ++undone;
        }
        EXPECT_EQ(undone, c.undoable) << "levels " << c.levels;
        EXPECT_EQ(m.value, c.steps - c.undoable) << "levels " << c.levels;
    }
}

TEST(UndoManager, LoweringTheLimitDropsTheOldestSteps)
{
    Model m;
    for (int v = 1; v <= 5; ++v) {
        m.set(v);
        nextEvent();
    }
    m.undo.undo(); // one redo step, value 4
    m.undo.setLevelsOfUndo(2);
    EXPECT_EQ(m.undo.undoCount(), 2);
    EXPECT_EQ(m.undo.redoCount(), 1);
    m.undo.undo();
    m.undo.undo();
    EXPECT_EQ(m.value, 2); // steps to 1 and 2 are gone
    EXPECT_FALSE(m.undo.canUndo());
    // The redo side keeps the limit too: the furthest step (to 5) went.
    EXPECT_EQ(m.undo.redoCount(), 2);
    m.undo.setLevelsOfUndo(0); // raising keeps what is left
    m.undo.redo();
    m.undo.redo();
    EXPECT_EQ(m.value, 4);
    EXPECT_FALSE(m.undo.canRedo());
}

TEST(UndoManager, ChangeSignalFollowsTheEditedState)
{
    Model m;
    ChangeLog log(m.undo);
    m.set(1);
    m.set(2);
    EXPECT_TRUE(log.changes.empty()); // the group is still open
    nextEvent();
    m.undo.undo();
    nextEvent();
    m.undo.redo();
    nextEvent();
    m.undo.removeAllActions();
    const std::vector<UndoManager::Change> expected = {UndoManager::Change::Done, UndoManager::Change::Undone,
                                                       UndoManager::Change::Redone, UndoManager::Change::Cleared};
    EXPECT_EQ(log.changes, expected);
    EXPECT_FALSE(m.undo.canUndo());
    EXPECT_FALSE(m.undo.canRedo());
}

TEST(UndoManager, NothingToUndoDoesNothing)
{
    Model m;
    ChangeLog log(m.undo);
    m.undo.undo();
    m.undo.redo();
    nextEvent();
    EXPECT_TRUE(log.changes.empty());
    EXPECT_EQ(m.value, 0);
    m.undo.registerUndo({}); // an empty action is not a step
    nextEvent();
    EXPECT_FALSE(m.undo.canUndo());
}

TEST(UndoManager, UndoInsideAnActionIsRefused)
{
    UndoManager undo;
    int runs = 0;
    undo.registerUndo([&] {
        ++runs;
        undo.undo(); // must not recurse
    });
    undo.registerUndo([&] { ++runs; });
    nextEvent();
    undo.undo();
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(undo.isUndoing());
}

TEST(UndoManager, DestroyedWithAnOpenGroup)
{
    auto undo = std::make_unique<UndoManager>();
    undo->registerUndo([] {});
    undo.reset(); // the pending close must not outlive the manager
    nextEvent();
    SUCCEED();
}

namespace {

// A model whose every undo action says it keeps a given number of bytes;
// the count may grow after registration, as a step completed later does.
struct SizedModel {
    UndoManager undo;
    int value = 0;
    std::size_t nextSize = 100;

    void set(int v)
    {
        const int old = value;
        auto bytes = std::make_shared<std::size_t>(nextSize);
        undo.registerUndo([this, old] { set(old); }, [bytes] { return *bytes; });
        value = v;
    }
};

// Undoes as far as possible; the values passed, newest first.
std::vector<int> undoAll(SizedModel& m)
{
    std::vector<int> values;
    while (m.undo.canUndo()) {
        m.undo.undo();
        values.push_back(m.value);
    }
    return values;
}

} // namespace

TEST(UndoManager, TheByteBudgetDropsTheOldestStepsFirst)
{
    struct Case {
        std::size_t budget;
        std::vector<std::size_t> sizes; // of the steps to 1, 2, 3...
        std::vector<int> undone;        // the values undo walks through
    };
    const Case cases[] = {
        {350, {100, 100, 100, 100, 100}, {4, 3, 2}},
        {0, {100, 100, 100}, {2, 1, 0}},                  // no budget
        {250, {10, 10, 200, 10, 30}, {4, 3, 2, 1}},       // one small old step makes room
        {250, {10, 200, 10, 200, 10}, {4, 3, 2}},         // the old big one goes, and all before it
        {50, {100, 100}, {1}},                            // one step over the budget still undoes
    };
    for (const Case& c : cases) {
        SizedModel m;
        m.undo.setByteBudget(c.budget);
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            m.nextSize = c.sizes[i];
            m.set(int(i) + 1);
            nextEvent();
        }
        m.nextSize = 0; // the redo steps undo records cost nothing here
        if (c.budget)
            EXPECT_LE(m.undo.byteSize(), std::max(c.budget, c.sizes.back())) << "budget " << c.budget;
        EXPECT_EQ(undoAll(m), c.undone) << "budget " << c.budget; // never a gap: each undo goes one value back
    }
}

TEST(UndoManager, StepsThatGrowAfterRegistrationAreTrimmedWhenAsked)
{
    UndoManager undo;
    int value = 0;
    std::vector<std::shared_ptr<std::size_t>> sizes;
    const auto set = [&](int v) {
        const int old = value;
        auto bytes = std::make_shared<std::size_t>(0);
        sizes.push_back(bytes);
        undo.registerUndo([&value, old] { value = old; }, [bytes] { return *bytes; });
        value = v;
    };
    for (int v = 1; v <= 4; ++v) {
        set(v);
        nextEvent();
    }
    undo.setByteBudget(1000);
    EXPECT_EQ(undo.undoCount(), 4); // nothing kept yet
    for (auto& s : sizes)
        *s = 400;
    undo.trimToBudget();
    EXPECT_EQ(undo.undoCount(), 2);
    EXPECT_EQ(undo.byteSize(), 800u);
    undo.undo();
    undo.undo();
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManager, TheBudgetTrimsTheFarthestRedoStepsButKeepsTheNext)
{
    SizedModel m;
    for (int v = 1; v <= 4; ++v) {
        m.set(v);
        nextEvent();
    }
    // Undoing records redo steps of 100 bytes each.
    m.undo.undo();
    m.undo.undo();
    m.undo.undo();
    EXPECT_EQ(m.value, 1);
    m.undo.setByteBudget(250); // undo 100 + redo 300: the undo step stays, the farthest redo goes
    EXPECT_EQ(m.undo.undoCount(), 1);
    EXPECT_EQ(m.undo.redoCount(), 1);
    m.undo.redo();
    EXPECT_EQ(m.value, 2);
    EXPECT_FALSE(m.undo.canRedo());
    m.undo.setByteBudget(1);
    EXPECT_EQ(m.undo.undoCount(), 1); // the newest undo step is never dropped
}
