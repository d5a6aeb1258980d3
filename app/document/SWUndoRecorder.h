#pragma once

#include "SWUndoStep.h"

#include <QImage>

#include <memory>
#include <vector>

namespace platform {
class CanvasCheckpoint;
}

// Makes a document's undo steps without copying the whole picture.
//
// It keeps a checkpoint: the picture as it was when the last step was
// opened, which shares its memory with the live picture until that is
// written. A step is opened before a change and completed when the next one
// opens (undo and redo open one too): then the tiles where the checkpoint
// differs from the live picture go into the step, and the checkpoint takes
// the live picture's pixels. Whatever changed in between, through whatever
// path, lands in the open step, so every step restores exactly the picture
// of its moment. A changed canvas size makes the completed step a whole one.
//
// Finding what changed costs what was written, not the picture: the kernel
// marks every page the live picture writes (whatever code wrote it), and
// only the tiles under those pages are compared. Undo and redo go through
// apply(), which writes a step's tiles where the live picture and the
// checkpoint both read them and hands the tiles they replace to the open
// step straight away, so the next step finds nothing left to compare.
class SWUndoRecorder {
public:
    SWUndoRecorder();
    ~SWUndoRecorder();
    SWUndoRecorder(const SWUndoRecorder&) = delete;
    SWUndoRecorder& operator=(const SWUndoRecorder&) = delete;

    // Completes the open step against live and opens a new one holding the
    // picture of this moment (complete once the next step opens). live may
    // be replaced by a bitmap with the same pixels; take pointers into it
    // afresh.
    std::shared_ptr<SWUndoStep> beginStep(QImage& live);
    // Writes a complete step's tiles into live (undo and redo), keeping the
    // pixels they replace in the open step. False when the step does not
    // fit live (nothing written).
    bool apply(const SWUndoStep& step, QImage& live);
    // Deflates the steps completed since the last call (see
    // SWUndoStep::compress()); for a moment when nobody waits.
    void compressCompleted();
    bool hasUncompressed() const { return !m_uncompressed.empty(); }
    // Forgets the checkpoint and the open step (the history was emptied).
    void reset();
    // Whether the checkpoint shares memory with the live picture (true by
    // default where the system allows); false keeps a plain copy.
    void setSharing(bool sharing) { m_sharing = sharing; }

private:
    // The checkpoint catches up with live; what changed goes into `into`.
    void catchUp(QImage& live, SWUndoStep* into);
    void takeCheckpoint(QImage& live);

    std::unique_ptr<platform::CanvasCheckpoint> m_checkpoint;
    std::shared_ptr<SWUndoStep> m_open;
    std::vector<std::weak_ptr<SWUndoStep>> m_uncompressed;
    // live's cache key when the checkpoint last caught up: an unchanged key
    // means live was not opened for writing since.
    qint64 m_caughtUpKey = 0;
    bool m_sharing = true;
};
