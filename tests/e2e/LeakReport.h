#pragma once

#include <QString>
#include <QStringList>

// Reads the leak checker's reports in a program's standard error and keeps
// the leaks that belong to our own code.
//
// The checker's own suppressions drop a leak when any frame of its stack
// matches, however deep. That is right for libraries that never call our
// code (the font and X libraries, the graphics driver), and wrong for those
// that do: every event handler of ours runs beneath glib's main loop, so
// "glib" anywhere in a full stack would hide every leak of an event
// handler. For those libraries the order decides: a leak is theirs when one
// of their frames is nearer the allocation than any frame of ours.
//
// The stacks must name every frame's module: the program runs with the
// checker's stack_trace_format set to stackTraceFormat().
class LeakReport {
public:
    explicit LeakReport(const QString& standardError);

    // Each leak that counts against the program, as the checker printed
    // it (its heading and its stack).
    const QStringList& leaksOfOurCode() const { return m_ours; }
    // How many leaks were reported in all, ours and the libraries'.
    int leakCount() const { return m_count; }

    // The checker's stack_trace_format: each frame ends in its module, in
    // angle brackets.
    static QString stackTraceFormat() { return QStringLiteral("    #%n %p %F %L <%m>"); }
    // Whether the module (a path or a file name) is one of ours: the
    // program, its libraries and the test programs of this build.
    static bool isOurModule(const QString& module);
    // Whether the module is a library that calls our code and keeps
    // allocations of its own until the process ends.
    static bool isCallingLibrary(const QString& module);

private:
    // Whether the leak with this stack (its frame lines, allocation first)
    // counts against the program.
    static bool counts(const QStringList& frames);

    QStringList m_ours;
    int m_count = 0;
};
