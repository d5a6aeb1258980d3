#pragma once

#include "Debug.h"

#include <QStringList>

#include <memory>

namespace foundation_test {

// Collects the lines the logging facility emits while it lives, and puts
// the facility back to its defaults afterwards.
class FoundationLogCapture {
public:
    explicit FoundationLogCapture(Debug::Level threshold = Debug::Level::INF)
        : captured(std::make_shared<QStringList>())
    {
        Debug::resetForTesting();
        auto sink = captured;
        Debug::doCustomConfigOneTime(threshold, Debug::Level::VBO, {},
                                     [sink](Debug::Level, const QString& text) { sink->append(text); });
    }
    ~FoundationLogCapture() { Debug::resetForTesting(); }

    FoundationLogCapture(const FoundationLogCapture&) = delete;
    FoundationLogCapture& operator=(const FoundationLogCapture&) = delete;

    const QStringList& lines() const { return *captured; }

private:
    std::shared_ptr<QStringList> captured;
};

} // namespace foundation_test
