#pragma once

#include <QtGlobal>

class VNHTTPRequest;

// What takes a request's progress: an indicator (a fraction of a maximum)
// and, for a queue, byte counts and changes of the expected totals. Every
// method is optional and runs on the main thread; a receiver that does not
// care leaves the default, which does nothing.
class VNProgressDelegate {
public:
    virtual ~VNProgressDelegate() = default;

    virtual void setDoubleValue(double) {}
    virtual void setMaxValue(double) {}
    virtual void requestDidReceiveBytes(VNHTTPRequest&, qint64) {}
    virtual void requestDidSendBytes(VNHTTPRequest&, qint64) {}
    virtual void requestIncrementDownloadSizeBy(VNHTTPRequest&, qint64) {}
    virtual void requestIncrementUploadSizeBy(VNHTTPRequest&, qint64) {}
};
