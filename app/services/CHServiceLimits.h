#pragma once

#include <QtGlobal>

// What the online services keep in memory of a server's answer. The
// server is not ours to trust: each bound lies far above anything an
// honest answer holds, and an answer past it fails as an unreadable one.
struct CHServiceLimits {
    // The remote configuration: a few kilobytes of XML.
    static constexpr qint64 kConfigBodyBytes = 1 << 20;
    // The my-apps list: a property list of a few dozen entries.
    static constexpr qint64 kMyAppsListBytes = 2 << 20;
    // Entries of the my-apps list; each makes a row and an icon request.
    static constexpr int kMyAppsListEntries = 500;
    // One application icon.
    static constexpr qint64 kIconBytes = 4 << 20;
};
