#pragma once

#include "platform/network/HTTPReadStream.h"
#include "platform/network/RunLoop.h"

#include <chrono>
#include <memory>

// Runs one stream to its end or error in a private mode of the calling
// thread's run loop, collecting what it delivers; gives up after a
// generous deadline so a broken stream fails the test instead of hanging.
struct StreamOutcome {
    bool ended = false;
    bool failed = false;
    platform::NetworkError error;
    platform::HTTPMessage header;
    QByteArray body;
    int byteEvents = 0;
    bool timedOut = false;
};

inline StreamOutcome runStream(const std::shared_ptr<platform::HTTPReadStream>& stream,
    std::chrono::seconds deadline = std::chrono::seconds(60))
{
    using namespace platform;
    static const QString mode = QStringLiteral("StreamTestMode");
    StreamOutcome outcome;
    RunLoop& loop = RunLoop::current();
    stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::ErrorOccurred | HTTPReadStream::EndEncountered,
        [&](HTTPReadStream& s, HTTPReadStream::Event event) {
            switch (event) {
            case HTTPReadStream::HasBytesAvailable:
                ++outcome.byteEvents;
                while (s.hasBytesAvailable())
                    outcome.body += s.read(16384);
                break;
            case HTTPReadStream::EndEncountered:
                outcome.ended = true;
                break;
            case HTTPReadStream::ErrorOccurred:
                outcome.failed = true;
                outcome.error = s.error();
                break;
            }
        });
    stream->schedule(loop, mode);
    stream->open();
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!outcome.ended && !outcome.failed && std::chrono::steady_clock::now() < until)
        loop.runMode(mode, std::chrono::milliseconds(200), true);
    outcome.timedOut = !outcome.ended && !outcome.failed;
    outcome.header = stream->responseHeader();
    stream->unschedule(loop, mode);
    stream->setClient(0, nullptr);
    return outcome;
}
