#pragma once

#include "SWUndoStep.h"

#include <QImage>

#include <memory>
#include <vector>

namespace platform {
class CanvasCheckpoint;
class CanvasWriteMarks;
}

// Makes a document's undo steps without copying the whole picture.
//
// It keeps a checkpoint: the picture as it was when the last step was
// opened, either a plain copy or one that shares its memory with the live
// picture until that is written (see setSharing()). A step is opened before a change and completed when the next one
// opens (undo and redo open one too): then the tiles where the checkpoint
// differs from the live picture go into the step, and the checkpoint takes
// the live picture's pixels. Whatever changed in between, through whatever
// path, lands in the open step, so every step restores exactly the picture
// of its moment. A changed canvas size makes the completed step a whole one.
//
// Finding what changed costs what was written, not the picture. Given the
// live picture's write marks (every drawing path marks the rectangle it
// wrote), only the marked tiles are compared. Without marks, or when a
// write went around them, the kernel's record of the pages the live picture
// wrote since they were last shared tells which tiles to compare; failing
// that, every tile is. Undo and redo go through apply(), which writes a
// step's tiles into the live picture and the checkpoint alike (through the
// shared pages where they share) and hands the tiles they replace to the
// open step straight away, so the next step finds nothing left to compare.
class SWUndoRecorder {
public:
    SWUndoRecorder();
    ~SWUndoRecorder();
    SWUndoRecorder(const SWUndoRecorder&) = delete;
    SWUndoRecorder& operator=(const SWUndoRecorder&) = delete;

    // Completes the open step against live and opens a new one holding the
    // picture of this moment (complete once the next step opens). live may
    // be replaced by a bitmap with the same pixels; take pointers into it
    // afresh. marks (optional): live's write marks since the last step;
    // they start over from here.
    std::shared_ptr<SWUndoStep> beginStep(QImage& live, platform::CanvasWriteMarks* marks = nullptr);
    // Writes a complete step's tiles into live (undo and redo), keeping the
    // pixels they replace in the open step. False when the step does not
    // fit live (nothing written). marks as for beginStep(); they learn of
    // what this writes.
    bool apply(const SWUndoStep& step, QImage& live, platform::CanvasWriteMarks* marks = nullptr);
    // Deflates the steps completed since the last call (see
    // SWUndoStep::compress()); for a moment when nobody waits.
    void compressCompleted();
    bool hasUncompressed() const { return !m_uncompressed.empty(); }
    // Forgets the checkpoint and the open step (the history was emptied).
    void reset();
    // Whether the checkpoint shares memory with the live picture (true by
    // default where the system allows); false keeps a plain copy.
    void setSharing(bool sharing) { m_sharing = sharing; }

    // Checking the marks: with auditing on, a step completed from marks
    // also looks for changed tiles the marks missed (from the pages written,
    // or every tile of a plain copy). A missed tile still goes into the
    // step, and is counted and logged: a drawing path that marks too little
    // shows in tests rather than in an undo. On by default in debug builds.
    void setAuditing(bool auditing) { m_auditing = auditing; }
    // Changed tiles the marks missed, since the recorder was made.
    int missedTiles() const { return m_missedTiles; }
    // Steps completed without marks although marks were given, because the
    // picture was written around them.
    int unaccountedSteps() const { return m_unaccountedSteps; }

private:
    // The checkpoint catches up with live; what changed goes into `into`.
    void catchUp(QImage& live, SWUndoStep* into, platform::CanvasWriteMarks* marks);
    // The same from marks that account for every write since the last step.
    void catchUpMarked(QImage& live, SWUndoStep* into, const platform::CanvasWriteMarks& marks);
    // Changed tiles outside the marks (see setAuditing()), by column and row.
    std::vector<std::pair<int, int>> unmarkedChanges(const QImage& live, const platform::CanvasWriteMarks& marks);
    // apply() straight into live; the next step finds what changed.
    bool applyToLive(const SWUndoStep& step, QImage& live, platform::CanvasWriteMarks* marks);
    void takeCheckpoint(QImage& live);

    std::unique_ptr<platform::CanvasCheckpoint> m_checkpoint;

    std::shared_ptr<SWUndoStep> m_open;
    std::vector<std::weak_ptr<SWUndoStep>> m_uncompressed;
    // live's cache key when the checkpoint last caught up: an unchanged key
    // means live was not opened for writing since.
    qint64 m_caughtUpKey = 0;
    bool m_sharing = true;
#ifdef NDEBUG
    bool m_auditing = false;
#else
    bool m_auditing = true;
#endif
    int m_missedTiles = 0;
    int m_unaccountedSteps = 0;
};
