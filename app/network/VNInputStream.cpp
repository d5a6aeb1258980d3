#include "VNInputStream.h"

#include "VNBandwidthMeter.h"

#include <QBuffer>
#include <QFile>

#include <mutex>

namespace {
// One lock for every body stream: the allowance is decided and the
// throttling step taken by one reader at a time; the reads run unlocked.
std::mutex& readDecisionLock()
{
    static std::mutex lock;
    return lock;
}
} // namespace

std::unique_ptr<VNInputStream> VNInputStream::inputStreamWithFileAtPath(const QString& path, VNBandwidthMeter& meter, Throttle throttle)
{
    return std::make_unique<VNInputStream>(std::make_unique<QFile>(path), meter, std::move(throttle));
}

std::unique_ptr<VNInputStream> VNInputStream::inputStreamWithData(const QByteArray& data, VNBandwidthMeter& meter, Throttle throttle)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(data);
    return std::make_unique<VNInputStream>(std::move(buffer), meter, std::move(throttle));
}

VNInputStream::VNInputStream(std::unique_ptr<QIODevice> stream, VNBandwidthMeter& meter, Throttle throttle)
    : stream_(std::move(stream))
    , meter_(meter)
    , throttle_(std::move(throttle))
{
}

VNInputStream::~VNInputStream() = default;

bool VNInputStream::open()
{
    return stream_->isOpen() || stream_->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void VNInputStream::close()
{
    stream_->close();
}

bool VNInputStream::isOpen() const
{
    return stream_->isOpen();
}

QString VNInputStream::streamError() const
{
    const QString text = stream_->errorString();
    return text == QLatin1String("Unknown error") ? QString() : text;
}

qint64 VNInputStream::read(char* buffer, qint64 maxLength)
{
    qint64 length = maxLength;
    {
        std::lock_guard guard(readDecisionLock());
        if (meter_.isBandwidthThrottled()) {
            const qint64 allowance = qint64(meter_.maxUploadReadLength());
            if (allowance <= maxLength)
                length = std::max<qint64>(1, allowance);
            if (throttle_)
                throttle_();
        }
    }
    const qint64 count = stream_->read(buffer, length);
    if (count > 0)
        meter_.incrementBandwidthUsedInLastSecond(quint64(count));
    return count;
}
