#pragma once

#include <QObject>

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

namespace platform {

// A document's undo history.
//
// - Grouping by event: every registration made while one event (or timer
//   tick) is handled lands in one group, closed when the event loop comes
//   round again, or sooner when the next key or button press arrives (two
//   commands typed quickly may be handled in one turn of the loop, yet they
//   are two steps); one undo or redo replays a whole group, newest action
//   first.
// - Undo and redo run a group's actions; an action that registers while an
//   undo runs records the redo step, and while a redo runs the undo step.
//   That is how a restore action puts the current state back for the way
//   back.
// - A registration outside undo and redo clears the redo steps.
// - undo() and redo() first close a group that is still open, so a step
//   registered in the same event is undone at once.
// - The level limit keeps at most that many groups on each side (0: no
//   limit); it may change while steps are held, and lowering it drops the
//   oldest ones.
// - A byte budget (0: none) bounds what all held actions report they keep.
//   Over it the oldest undo groups go first, then the redo groups farthest
//   from the present; never one in the middle, never the newest undo group
//   and never the next redo group, so the last change (or undo) can always
//   be taken back.
//
// Actions capture what they need (typically a snapshot of the picture); the
// owner of the objects they touch calls removeAllActions() before those go.
class UndoManager : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;
    // What an action keeps in memory, in bytes; asked whenever the budget is
    // checked, so it may grow after registration.
    using ByteCount = std::function<std::size_t()>;

    // What the history did, for a document's edited state: Done and Redone
    // count one change up, Undone one down; Cleared forgets the count.
    enum class Change { Done, Undone, Redone, Cleared };
    Q_ENUM(Change)

    explicit UndoManager(QObject* parent = nullptr);
    ~UndoManager() override;

    void registerUndo(Action action, ByteCount bytes = {});

    // Watches the application's input for the start of a new user event.
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    bool isUndoing() const { return m_mode == Mode::Undoing; }
    bool isRedoing() const { return m_mode == Mode::Redoing; }

    int levelsOfUndo() const { return m_levels; }
    void setLevelsOfUndo(int levels);

    // Steps on each side; an open group counts as an undo step.
    int undoCount() const;
    int redoCount() const { return int(m_redo.size()); }

    void removeAllActions();

    // Closes the group of the event being handled now instead of when the
    // event loop comes round (a save counts the change it just committed).
    void closeOpenGroup();

    std::size_t byteBudget() const { return m_byteBudget; }
    void setByteBudget(std::size_t bytes);
    // What all held actions keep now.
    std::size_t byteSize() const;
    // Drops the oldest groups while the held actions keep more than the
    // budget; owners call it when their actions have grown.
    void trimToBudget();
    // A quarter of the machine's memory.
    static std::size_t defaultByteBudget();

signals:
    // After a group closed (Done), an undo, a redo, or removeAllActions().
    void changed(platform::UndoManager::Change change);

private:
    enum class Mode { Normal, Undoing, Redoing };
    struct Entry {
        Action action;
        ByteCount bytes;
    };
    using Group = std::vector<Entry>;
    static std::size_t bytesOf(const Group& group);

    void scheduleClose();
    void run(std::deque<Group>& from, std::deque<Group>& to, Mode mode, Change change);
    void trim(std::deque<Group>& stack);

    std::deque<Group> m_undo;  // oldest first
    std::deque<Group> m_redo;  // oldest first
    Group m_open;              // the group of the event being handled
    bool m_groupOpen = false;
    bool m_closeScheduled = false;
    Mode m_mode = Mode::Normal;
    Group* m_recording = nullptr; // the group that receives registrations during undo/redo
    int m_levels = 0;
    std::size_t m_byteBudget = 0;
};

} // namespace platform
