#pragma once

#include "platform/foundation/SystemLog.h"

#include <mutex>

// The one-instance rule of the online services: the slot holds the only
// instance of T, made on the first request and never freed. Allocating a
// second one is refused with a log line and yields null.
template <typename T>
class CHSingletonSlot {
public:
    template <typename Make>
    static T* shared(Make make)
    {
        std::lock_guard<std::recursive_mutex> guard(lock());
        if (!slot())
            allocate(make);
        return slot();
    }

    template <typename Make>
    static T* allocate(Make make)
    {
        std::lock_guard<std::recursive_mutex> guard(lock());
        if (slot()) {
            platform::nsLog(QStringLiteral(
                "*** Error: alloc another object!!! This MACRO only supports really singleton class."));
            return nullptr;
        }
        slot() = make();
        return slot();
    }

    static T* existing()
    {
        std::lock_guard<std::recursive_mutex> guard(lock());
        return slot();
    }

private:
    static std::recursive_mutex& lock()
    {
        static std::recursive_mutex mutex;
        return mutex;
    }
    static T*& slot()
    {
        static T* instance = nullptr;
        return instance;
    }
};
