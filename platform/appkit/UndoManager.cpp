#include "UndoManager.h"

#include "platform/foundation/SystemLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <unistd.h>

namespace platform {

UndoManager::UndoManager(QObject* parent)
    : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool UndoManager::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A new user action begins: what the last one registered is a step
        // of its own, even if the loop has not come round since.
        closeOpenGroup();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

UndoManager::~UndoManager() = default;

void UndoManager::registerUndo(Action action, ByteCount bytes)
{
    if (!action)
        return;
    Entry entry{std::move(action), std::move(bytes)};
    if (m_recording) {
        m_recording->push_back(std::move(entry));
        return;
    }
    if (!m_groupOpen) {
        m_groupOpen = true;
        // A new change: the steps that could be redone no longer apply.
        m_redo.clear();
        scheduleClose();
    }
    m_open.push_back(std::move(entry));
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
    trimToBudget();
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
        it->action();
    // The inverse replays its own actions newest first too; recorded in the
    // order the undo ran them, that gives the original order back.
    if (!inverse.empty()) {
        to.push_back(std::move(inverse));
        trim(to);
    }
    trimToBudget();
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

std::size_t UndoManager::bytesOf(const Group& group)
{
    std::size_t total = 0;
    for (const Entry& entry : group) {
        if (entry.bytes)
            total += entry.bytes();
    }
    return total;
}

std::size_t UndoManager::byteSize() const
{
    std::size_t total = bytesOf(m_open);
    for (const Group& group : m_undo)
        total += bytesOf(group);
    for (const Group& group : m_redo)
        total += bytesOf(group);
    return total;
}

void UndoManager::setByteBudget(std::size_t bytes)
{
    m_byteBudget = bytes;
    trimToBudget();
}

void UndoManager::trimToBudget()
{
    if (m_byteBudget == 0)
        return;
    std::size_t total = byteSize();
    // The newest undo group stays unless an open group follows it, and the
    // next redo group stays: an undo or redo just made can be taken back.
    const std::size_t keep = (m_groupOpen && !m_open.empty()) ? 0 : 1;
    while (total > m_byteBudget && m_undo.size() > keep) {
        total -= bytesOf(m_undo.front());
        m_undo.pop_front();
    }
    while (total > m_byteBudget && m_redo.size() > 1) {
        total -= bytesOf(m_redo.front());
        m_redo.pop_front();
    }
}

std::size_t UndoManager::defaultByteBudget()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::size_t(1) << 30;
    return std::size_t(pages) / 4 * std::size_t(pageSize);
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
