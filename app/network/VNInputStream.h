#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class VNBandwidthMeter;

// The stream a request sends its body from, from a file or from memory.
// It reads like the device it wraps, except that every read keeps to the
// process's bandwidth budget and counts what it read there.
class VNInputStream {
public:
    // The owning request's throttling step (it may pause the request).
    using Throttle = std::function<void()>;

    static std::unique_ptr<VNInputStream> inputStreamWithFileAtPath(const QString& path, VNBandwidthMeter& meter, Throttle throttle);
    static std::unique_ptr<VNInputStream> inputStreamWithData(const QByteArray& data, VNBandwidthMeter& meter, Throttle throttle);

    // Takes the device, not yet open.
    VNInputStream(std::unique_ptr<QIODevice> stream, VNBandwidthMeter& meter, Throttle throttle);
    ~VNInputStream();
    VNInputStream(const VNInputStream&) = delete;
    VNInputStream& operator=(const VNInputStream&) = delete;

    // Opens the device for unbuffered reading, so each read asks it for
    // exactly the length decided here.
    bool open();
    void close();
    bool isOpen() const;
    // The device's error text, empty when it has none.
    QString streamError() const;
    QIODevice& stream() { return *stream_; }

    // Bytes read (0 at the end, negative on error), as the device answers.
    qint64 read(char* buffer, qint64 maxLength);

private:
    std::unique_ptr<QIODevice> stream_;
    VNBandwidthMeter& meter_;
    Throttle throttle_;
};
