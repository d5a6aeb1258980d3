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
class ImageFileLoader {
public:
    using Done = std::function<void(ImageDecoder::Result)>;

    explicit ImageFileLoader(const QString& path);
    ~ImageFileLoader();
    ImageFileLoader(const ImageFileLoader&) = delete;
    ImageFileLoader& operator=(const ImageFileLoader&) = delete;

    // Starts decoding. done runs on receiver's thread with the result,
    // unless wait() took it first or the loader or the receiver is gone by
    // then. The receiver must outlive the loader (its owner, typically).
    // False when no thread could be started (nothing will come).
    bool start(QObject* receiver, Done done);
    // Blocks until the decode ends and returns its result; done will not
    // run. Only on the receiver's thread, and only once.
    ImageDecoder::Result wait();

private:
    struct State;
    QString m_path;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace platform
