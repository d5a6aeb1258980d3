#pragma once

#include "ImageDecoder.h"

#include <QString>

#include <functional>
#include <memory>
#include <thread>

class QObject;

namespace platform {

// Decodes one picture file on a thread of its own, so that the window that
// will show it can be built and shown meanwhile.
//
// The result comes back on the receiver's thread, through its event loop,
// once; or the owner takes it at once with wait(). Destroying the loader
// stops the decode at its next read from the file and waits for the thread,
// which never outlives the loader. No exception leaves the thread: whatever
// goes wrong there is a failed result with a message for the user.
//
// A picture named when the program starts may be read ahead: its decode
// starts before anything of the window exists, and the document that opens
// the same file takes that loader over (takeReadAhead()).
class ImageFileLoader {
public:
    using Done = std::function<void(ImageDecoder::Result)>;

    explicit ImageFileLoader(const QString& path);
    ~ImageFileLoader();
    ImageFileLoader(const ImageFileLoader&) = delete;
    ImageFileLoader& operator=(const ImageFileLoader&) = delete;

    QString path() const { return m_path; }

    // Starts decoding; the result waits for deliverTo() or wait(). False
    // when no thread could be started (nothing will come).
    bool start();
    // done runs on receiver's thread with the result, once the decode has
    // ended (at once, through the event loop, when it already has), unless
    // wait() took it first or the loader or the receiver is gone by then.
    // The receiver must outlive the loader (its owner, typically). Only
    // once, from the thread that will wait().
    void deliverTo(QObject* receiver, Done done);
    // start() then deliverTo().
    bool start(QObject* receiver, Done done);
    // Whether the decode has ended (its result waits for deliverTo() or
    // wait()).
    bool hasFinished() const;
    // Blocks until the decode ends and returns its result; done will not
    // run. Only on the receiver's thread, and only once.
    ImageDecoder::Result wait();

    // Starts decoding path ahead of the document that will show it; a
    // picture read ahead before is dropped. Nothing happens when no thread
    // can be started.
    static void readAhead(const QString& path);
    // The loader reading path ahead, started, for its new owner; null when
    // none reads that file (any other read ahead stays).
    static std::unique_ptr<ImageFileLoader> takeReadAhead(const QString& path);
    // Stops and drops a picture read ahead that no document took.
    static void dropReadAhead();

private:
    struct State;
    QString m_path;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace platform
