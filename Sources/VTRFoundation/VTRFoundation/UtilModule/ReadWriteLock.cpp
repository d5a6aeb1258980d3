#include "ReadWriteLock.h"

#include "Debug.h"

namespace {

void logFailure(const char* text, int error, const char* function, int line)
{
    Debug::output(Debug::Level::ERR, QString::fromLatin1(text) + QString::number(error), __FILE__,
                  QString::fromLatin1(function), line);
}

} // namespace

std::unique_ptr<ReadWriteLock> ReadWriteLock::create()
{
    std::unique_ptr<ReadWriteLock> lock(new ReadWriteLock());
    const int error = pthread_rwlock_init(&lock->rwlock, nullptr);
    if (error != 0) {
        logFailure("Cannot create pthread_rwlock lock with ", error, "init()", __LINE__);
        return nullptr;
    }
    lock->initialised = true;
    return lock;
}

ReadWriteLock::~ReadWriteLock()
{
    if (!initialised)
        return;
    const int error = pthread_rwlock_destroy(&rwlock);
    if (error != 0)
        logFailure("Destroy pthread_rwlock lock failed with ", error, "deinit", __LINE__);
}

bool ReadWriteLock::readLock()
{
    const int error = pthread_rwlock_rdlock(&rwlock);
    if (error != 0) {
        logFailure("Acquire read lock failed with ", error, "readLock()", __LINE__);
        return false;
    }
    return true;
}

bool ReadWriteLock::writeLock()
{
    const int error = pthread_rwlock_wrlock(&rwlock);
    if (error != 0) {
        logFailure("Acquire write lock failed with ", error, "writeLock()", __LINE__);
        return false;
    }
    return true;
}

bool ReadWriteLock::unlock()
{
    const int error = pthread_rwlock_unlock(&rwlock);
    if (error != 0) {
        logFailure("Unlock failed with ", error, "unlock()", __LINE__);
        return false;
    }
    return true;
}
