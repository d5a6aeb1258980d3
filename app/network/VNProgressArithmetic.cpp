#include "VNProgressArithmetic.h"

#include <algorithm>

double VNProgressArithmetic::fraction(qint64 done, qint64 total, bool complete)
{
    if (total <= 0)
        return complete ? 1.0 : 0.0;
    return std::clamp(double(done) / double(total), 0.0, 1.0);
}

bool VNProgressArithmetic::shouldUpdate(bool accurateProgress, bool complete, bool updatedProgress)
{
    return accurateProgress || (complete && !updatedProgress);
}

std::optional<VNProgressArithmetic::Step> VNProgressArithmetic::uploadStep(UploadCounters& c, bool accurateProgress, bool complete)
{
    if (c.totalBytesSent <= 0)
        return std::nullopt;
    Step step;
    // The first count that differs from the body length is what the
    // stream swallowed into its buffer before anything went out.
    if (c.uploadBufferSize == 0 && c.totalBytesSent != c.postLength) {
        c.uploadBufferSize = c.totalBytesSent;
        step.sizeIncrement = -c.uploadBufferSize;
    }
    if (accurateProgress) {
        if (c.totalBytesSent < c.postLength && c.lastBytesSent == 0)
            return step.sizeIncrement ? std::optional(step) : std::nullopt;
        step.amount = c.totalBytesSent - c.lastBytesSent;
        if (step.amount == 0)
            return step.sizeIncrement ? std::optional(step) : std::nullopt;
        // Reported now: an update that comes before the next count (a read
        // of the response, say) must not report the same bytes again.
        c.lastBytesSent = c.totalBytesSent;
    } else {
        step.amount = 1;
        c.updatedProgress = true;
    }
    step.report = true;
    step.fraction = fraction(c.totalBytesSent - c.uploadBufferSize, c.postLength - c.uploadBufferSize, complete);
    step.blockTotal = c.postLength;
    return step;
}

std::optional<VNProgressArithmetic::Step> VNProgressArithmetic::downloadStep(DownloadCounters& c, bool accurateProgress, bool complete)
{
    if (c.contentLength <= 0 && !complete)
        return std::nullopt;
    const qint64 soFar = c.totalBytesRead + c.partialDownloadSize;
    Step step;
    if (accurateProgress && c.contentLength > 0) {
        step.amount = soFar - c.lastBytesRead;
        if (step.amount == 0)
            return std::nullopt;
    } else {
        step.amount = 1;
        c.updatedProgress = true;
    }
    const qint64 total = c.contentLength + c.partialDownloadSize;
    step.report = true;
    step.fraction = fraction(soFar, total, complete);
    step.blockTotal = total;
    c.lastBytesRead = soFar;
    return step;
}
