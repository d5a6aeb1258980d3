#pragma once

#include <pthread.h>

#include <memory>

// One POSIX read-write lock: any number of readers at once, or one writer.
// Every operation reports success as a Boolean and logs an ERR line with the
// platform's error number when the underlying call fails. Share the object
// (it cannot be copied or moved: a POSIX lock stays where it was made).
class ReadWriteLock {
public:
    // Nothing (and an ERR line) when the platform cannot make the lock.
    static std::unique_ptr<ReadWriteLock> create();
    ~ReadWriteLock();

    ReadWriteLock(const ReadWriteLock&) = delete;
    ReadWriteLock& operator=(const ReadWriteLock&) = delete;

    // Block until the hold is granted.
    bool readLock();
    bool writeLock();
    // Releases whichever hold the calling thread has.
    bool unlock();

private:
    ReadWriteLock() = default;

    pthread_rwlock_t rwlock {};
    // A lock whose creation failed is never destroyed: POSIX leaves that undefined.
    bool initialised = false;
};
