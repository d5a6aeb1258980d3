#include "ImageFileLoader.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace platform {

struct ImageFileLoader::State {
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::condition_variable finishedChanged;
    bool finished = false;
    ImageDecoder::Result result;
    // Only touched on the receiver's thread: the result went to wait(), or
    // the loader is gone, so the delivery must not run done.
    bool taken = false;
};

namespace {
ImageDecoder::Result failed(const QString& message)
{
    ImageDecoder::Result result;
    result.error = message;
    return result;
}
} // namespace

ImageFileLoader::ImageFileLoader(const QString& path) : m_path(path), m_state(std::make_shared<State>()) {}

ImageFileLoader::~ImageFileLoader()
{
    m_state->taken = true;
    m_state->stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool ImageFileLoader::start(QObject* receiver, Done done)
{
    if (m_thread.joinable() || !receiver)
        return false;
    const std::shared_ptr<State> state = m_state;
    const QString path = m_path;
    try {
        m_thread = std::thread([state, path, receiver, done = std::move(done)] {
            ImageDecoder::Result result;
            try {
                result = ImageDecoder::readFile(path, &state->stop);
            } catch (const std::bad_alloc&) {
                result = failed(QStringLiteral("There is not enough memory to open the picture."));
            } catch (...) {
                result = failed(QStringLiteral("The picture could not be read."));
            }
            {
                std::lock_guard<std::mutex> hold(state->lock);
                state->result = std::move(result);
                state->finished = true;
            }
            state->finishedChanged.notify_all();
            try {
                // The receiver lives until the loader has joined this
                // thread; an event for it that is still queued when it goes
                // is dropped with it.
                QMetaObject::invokeMethod(
                    receiver,
                    [state, done] {
                        if (state->taken)
                            return;
                        state->taken = true;
                        ImageDecoder::Result delivered;
                        {
                            std::lock_guard<std::mutex> hold(state->lock);
                            delivered = std::move(state->result);
                        }
                        if (done)
                            done(std::move(delivered));
                    },
                    Qt::QueuedConnection);
            } catch (...) {
                // No memory for the event: the owner's wait() still has the result.
            }
        });
    } catch (...) {
        return false; // no thread (or no memory to start one)
    }
    return true;
}

ImageDecoder::Result ImageFileLoader::wait()
{
    if (!m_thread.joinable() || m_state->taken)
        return failed(QStringLiteral("The picture could not be read."));
    std::unique_lock<std::mutex> hold(m_state->lock);
    m_state->finishedChanged.wait(hold, [this] { return m_state->finished; });
    m_state->taken = true;
    return std::move(m_state->result);
}

} // namespace platform
