#pragma once

class MyPushAdDownloadDelegate;

// Where the ad description comes from. A fetch returns at once; its one
// outcome reaches the delegate on the main thread.
class MyPushAdSource {
public:
    virtual ~MyPushAdSource() = default;
    virtual void downloadAdFileAsync() = 0;
    // Fetches again after the delay (on the library's clock).
    virtual void retryDownloadAdFileWithDelay(double seconds) = 0;
    // Not owned; null for none.
    virtual MyPushAdDownloadDelegate* delegate() const = 0;
    virtual void setDelegate(MyPushAdDownloadDelegate* delegate) = 0;
};
