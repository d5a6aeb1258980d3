#include "ImageFileLoader.h"

#include <QFileInfo>
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
    // Under lock: the decode's end, its result, and where it goes.
    bool finished = false;
    ImageDecoder::Result result;
    QObject* receiver = nullptr;
    Done done;
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

// Queues the hand-over of the result on the receiver's thread. The receiver
// lives until the loader has joined the decoding thread; an event for it
// that is still queued when it goes is dropped with it.
template<typename State>
void post(const std::shared_ptr<State>& state, QObject* receiver, const ImageFileLoader::Done& done)
{
    try {
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
}

// The picture read ahead, until a document takes it. Touched on the main
// thread only.
std::unique_ptr<ImageFileLoader>& readAheadSlot()
{
    static std::unique_ptr<ImageFileLoader> slot;
    return slot;
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

bool ImageFileLoader::start()
{
    if (m_thread.joinable())
        return false;
    const std::shared_ptr<State> state = m_state;
    const QString path = m_path;
    try {
        m_thread = std::thread([state, path] {
            ImageDecoder::Result result;
            try {
                result = ImageDecoder::readFile(path, &state->stop);
            } catch (const std::bad_alloc&) {
                result = failed(QStringLiteral("There is not enough memory to open the picture."));
            } catch (...) {
                result = failed(QStringLiteral("The picture could not be read."));
            }
            QObject* receiver = nullptr;
            Done done;
            {
                std::lock_guard<std::mutex> hold(state->lock);
                state->result = std::move(result);
                state->finished = true;
                receiver = state->receiver;
                done = state->done;
            }
            state->finishedChanged.notify_all();
            if (receiver)
                post(state, receiver, done);
        });
    } catch (...) {
        return false; // no thread (or no memory to start one)
    }
    return true;
}

void ImageFileLoader::deliverTo(QObject* receiver, Done done)
{
    if (!receiver)
        return;
    bool finished = false;
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        if (m_state->receiver)
            return;
        finished = m_state->finished;
        if (!finished) {
            m_state->receiver = receiver;
            m_state->done = done;
        }
    }
    // A decode that ended before anyone asked is handed over the same way,
    // through the event loop, never from inside this call.
    if (finished)
        post(m_state, receiver, done);
}

bool ImageFileLoader::start(QObject* receiver, Done done)
{
    if (!receiver || !start())
        return false;
    deliverTo(receiver, std::move(done));
    return true;
}

bool ImageFileLoader::hasFinished() const
{
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->finished;
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

void ImageFileLoader::readAhead(const QString& path)
{
    dropReadAhead();
    auto loader = std::make_unique<ImageFileLoader>(QFileInfo(path).absoluteFilePath());
    if (loader->start())
        readAheadSlot() = std::move(loader);
}

std::unique_ptr<ImageFileLoader> ImageFileLoader::takeReadAhead(const QString& path)
{
    std::unique_ptr<ImageFileLoader>& slot = readAheadSlot();
    if (!slot || slot->path() != QFileInfo(path).absoluteFilePath())
        return nullptr;
    return std::move(slot);
}

void ImageFileLoader::dropReadAhead()
{
    readAheadSlot().reset();
}

} // namespace platform
