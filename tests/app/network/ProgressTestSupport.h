#pragma once

#include "VNProgressDelegate.h"

#include "platform/network/MainThread.h"

#include <QList>

#include <cmath>
#include <mutex>

// Records what a progress receiver is told: the indicator values in order,
// and the sums of the byte and size messages.
class ProgressRecorder : public VNProgressDelegate {
public:
    void setDoubleValue(double value) override
    {
        std::lock_guard lock(m_lock);
        check();
        values.append(value);
    }
    void setMaxValue(double value) override
    {
        std::lock_guard lock(m_lock);
        check();
        maxValues.append(value);
    }
    void requestDidReceiveBytes(VNHTTPRequest&, qint64 amount) override { add(received, amount); }
    void requestDidSendBytes(VNHTTPRequest&, qint64 amount) override { add(sent, amount); }
    void requestIncrementDownloadSizeBy(VNHTTPRequest&, qint64 amount) override { add(downloadSize, amount); }
    void requestIncrementUploadSizeBy(VNHTTPRequest&, qint64 amount) override { add(uploadSize, amount); }

    bool allFinite() const
    {
        std::lock_guard lock(m_lock);
        for (double v : values) {
            if (!std::isfinite(v) || v < 0.0 || v > 1.0)
                return false;
        }
        return true;
    }
    double lastValue() const
    {
        std::lock_guard lock(m_lock);
        return values.isEmpty() ? -1.0 : values.last();
    }

    QList<double> values, maxValues;
    qint64 received = 0, sent = 0, downloadSize = 0, uploadSize = 0;
    bool allOnMainThread = true;

private:
    void add(qint64& sum, qint64 amount)
    {
        std::lock_guard lock(m_lock);
        check();
        sum += amount;
    }
    void check()
    {
        if (!platform::MainThread::isCurrent())
            allOnMainThread = false;
    }
    mutable std::recursive_mutex m_lock;
};
