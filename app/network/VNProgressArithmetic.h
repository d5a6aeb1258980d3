#pragma once

#include <QtGlobal>

#include <optional>

// The numbers a request reports as progress, worked out apart from the
// delivery. Differences are signed: a restart or a server that ignores a
// range can make the "so far" figure smaller than what was reported before,
// and an unsigned difference would report an enormous step instead.
class VNProgressArithmetic {
public:
    // What one update of a direction hands to its receivers.
    struct Step {
        // Change of the expected total to announce first (the upload buffer
        // taken back); 0 when none.
        qint64 sizeIncrement = 0;
        // Whether the bytes message, the indicator and the block are due.
        bool report = false;
        qint64 amount = 0;      // bytes since the last report
        double fraction = 0.0;  // indicator value, 0..1
        qint64 blockTotal = 0;  // total handed to the progress block
    };

    struct UploadCounters {
        qint64 totalBytesSent = 0;
        qint64 lastBytesSent = 0;
        qint64 postLength = 0;
        qint64 uploadBufferSize = 0;
        bool updatedProgress = false;
    };

    struct DownloadCounters {
        qint64 totalBytesRead = 0;
        qint64 lastBytesRead = 0;
        qint64 contentLength = 0;
        qint64 partialDownloadSize = 0;
        bool updatedProgress = false;
    };

    // An indicator value that is always a number: done of total, kept in
    // 0..1; a total of 0 gives 0, or 1 once the request is complete.
    static double fraction(qint64 done, qint64 total, bool complete);

    // Whether an update runs at all: always with accurate progress, else
    // once, when the request completes.
    static bool shouldUpdate(bool accurateProgress, bool complete, bool updatedProgress);

    // The upload update; changes the counters it owns (buffer size,
    // updated flag). Nothing when no bytes were sent yet.
    static std::optional<Step> uploadStep(UploadCounters& counters, bool accurateProgress, bool complete);

    // The download update, for a request whose headers are in and that is
    // not about to redirect; moves lastBytesRead on.
    static std::optional<Step> downloadStep(DownloadCounters& counters, bool accurateProgress, bool complete);
};
