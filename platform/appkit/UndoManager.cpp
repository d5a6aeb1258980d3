#include "UndoManager.h"

#include "platform/foundation/SystemLog.h"

#include <QTimer>

namespace platform {

UndoManager::UndoManager(QObject* parent)
    : QObject(parent)
{
}

UndoManager::~UndoManager() = default;

void UndoManager::registerUndo(Action action)
{
    if (!action)
        return;
    if (m_recording) {
        m_recording->push_back(std::move(action));
        return;
    }
    if (!m_groupOpen) {
        m_groupOpen = true;
        // A new change: the steps that could be redone no longer apply.
        m_redo.clear();
        scheduleClose();
    }
    m_open.push_back(std::move(action));
}

void UndoManager::scheduleClose()
{
    if (m_closeScheduled)
        return;
    m_closeScheduled = true;
    // A zero timer fires when the event loop comes round, after the event
    // that registered has been handled. The timer dies with the manager.
    QTimer::singleShot(0, this, [this] {
        m_closeScheduled = false;
        closeOpenGroup();
    });
}

void UndoManager::closeOpenGroup()
{
    if (!m_groupOpen)
        return;
    m_groupOpen = false;
    Group group;
    group.swap(m_open);
    if (group.empty())
        return;
    m_undo.push_back(std::move(group));
    trim(m_undo);
    emit changed(Change::Done);
}

bool UndoManager::canUndo() const
{
    return !m_undo.empty() || (m_groupOpen && !m_open.empty());
}

bool UndoManager::canRedo() const
{
    return !m_redo.empty();
}

int UndoManager::undoCount() const
{
    return int(m_undo.size()) + ((m_groupOpen && !m_open.empty()) ? 1 : 0);
}

void UndoManager::undo()
{
    if (m_mode != Mode::Normal) {
        nsLog(QStringLiteral("UndoManager: undo requested while an undo or redo runs; ignored"));
        return;
    }
    closeOpenGroup();
    run(m_undo, m_redo, Mode::Undoing, Change::Undone);
}

void UndoManager::redo()
{
    if (m_mode != Mode::Normal) {
        nsLog(QStringLiteral("UndoManager: redo requested while an undo or redo runs; ignored"));
        return;
    }
    closeOpenGroup();
    run(m_redo, m_undo, Mode::Redoing, Change::Redone);
}

void UndoManager::run(std::deque<Group>& from, std::deque<Group>& to, Mode mode, Change change)
{
    if (from.empty())
        return;
    Group group = std::move(from.back());
    from.pop_back();

    Group inverse;
    m_mode = mode;
    m_recording = &inverse;
    struct Reset {
        UndoManager* self;
        ~Reset()
        {
            self->m_mode = Mode::Normal;
            self->m_recording = nullptr;
        }
    } reset{this};
    // Newest first, as the changes were made.
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        (*it)();
    // The inverse replays its own actions newest first too; recorded in the
    // order the undo ran them, that gives the original order back.
    if (!inverse.empty()) {
        to.push_back(std::move(inverse));
        trim(to);
    }
    m_mode = Mode::Normal;
    m_recording = nullptr;
    emit changed(change);
}

void UndoManager::trim(std::deque<Group>& stack)
{
    if (m_levels <= 0)
        return;
    while (int(stack.size()) > m_levels)
        stack.pop_front();
}

void UndoManager::setLevelsOfUndo(int levels)
{
    m_levels = levels < 0 ? 0 : levels;
    trim(m_undo);
    trim(m_redo);
}

void UndoManager::removeAllActions()
{
    m_undo.clear();
    m_redo.clear();
    m_open.clear();
    m_groupOpen = false;
    emit changed(Change::Cleared);
}

} // namespace platform
