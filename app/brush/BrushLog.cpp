#include "BrushLog.h"

#include <cstdio>

namespace BrushLog {

void assertFailed()
{
    print(QByteArrayLiteral("Assert Failed!!"));
}

void print(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

} // namespace BrushLog
