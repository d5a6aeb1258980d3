#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class RunLoop;

// A file descriptor watched by run loops. The handler gets the events that
// are ready (readable, writable; an error or hang-up shows as both that are
// of interest). Scheduled in a loop and mode, it fires only while that loop
// runs that mode. The owner keeps the shared pointer; a loop holds a weak one.
class RunLoopFdSource : public std::enable_shared_from_this<RunLoopFdSource> {
public:
    enum Event { Readable = 1, Writable = 2 };
    using Handler = std::function<void(int events)>;

    static std::shared_ptr<RunLoopFdSource> create(int fd, int interest, Handler handler);
    ~RunLoopFdSource();

    int fd() const { return m_fd; }
    int interest() const;
    void setInterest(int events);

    void schedule(RunLoop& loop, const QString& mode);
    void unschedule(RunLoop& loop, const QString& mode);
    bool isScheduled() const;
    // Leaves every loop; the handler is not called again.
    void invalidate();

private:
    friend class RunLoop;
    struct Registration {
        RunLoop* loop;
        QString mode;
        quint64 id;
        bool inPoll;
    };
    RunLoopFdSource(int fd, int interest, Handler handler);
    void applyInterest(Registration& r);
    void removeRegistration(Registration& r);

    int m_fd;
    int m_interest;
    Handler m_handler;
    std::vector<Registration> m_registrations;
};

} // namespace platform
