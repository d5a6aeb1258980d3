#pragma once

#include <QString>

#include <mutex>

namespace platform {

// A system library that start-up does not need, loaded the first time one
// of its functions is called. The program's code calls the library's
// functions by their usual names; small definitions of those names beside
// the callers (hidden, one copy in each of our binaries) forward each call
// to the library's own function, found here. So the library and everything
// it needs stay out of the process until a feature uses them, without a
// layer of our own between the feature and the library.
class LazyLibrary {
public:
    // Runs once, right after the library is loaded and before any of its
    // functions is handed out, under the loading lock: it reaches the
    // library through the handle given (dlsym), not through the forwarding
    // definitions, which would wait for that lock.
    using LoadHook = void (*)(void* handle);

    // "soname" is the name the library is installed under, major version
    // included (e.g. "libxml2.so.2"), as the linker would have recorded it.
    explicit LazyLibrary(const char* soname, LoadHook onLoad = nullptr);

    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // Loads the library on the first call, from any thread. False when it
    // does not load; "error" then says which library and why. Features
    // call this before they use the library, so that a missing one fails
    // the feature with that message instead of ending the program.
    bool load(QString* error = nullptr);
    // The library's symbol of that name, loading the library. A library
    // that does not load, or lacks the symbol, ends the program with a
    // message that names both: it is installed with the program, and a
    // call that cannot be made cannot be answered either.
    void* symbol(const char* name);

    const char* soname() const { return m_soname; }

private:
    const char* m_soname;
    LoadHook m_onLoad;
    std::once_flag m_once;
    void* m_handle = nullptr;
    QString m_error;
};

} // namespace platform

// Defines the library function "name", with its header's declaration, as a
// call of the real one. "parameters" is the parenthesised parameter list
// with names, "arguments" the same names in parentheses.
#define VELUMO_LAZY_FUNCTION(library, result, name, parameters, arguments)                              \
    extern "C" result name parameters                                                                   \
    {                                                                                                   \
        static const auto real = reinterpret_cast<decltype(&name)>((library).symbol(#name));            \
        return real arguments;                                                                          \
    }
