#include "VTRDebug.h"

#include "Debug.h"

namespace {
constexpr const char* kFixedFile = "x";

void out(Debug::Level level, const QString& message, const QString& function, long line)
{
    Debug::output(level, message, kFixedFile, function, int(line));
}
} // namespace

void VTRDebug::v(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::VBO, m, f, l); }
void VTRDebug::i(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::INF, m, f, l); }
void VTRDebug::t(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::TRK, m, f, l); }
void VTRDebug::w(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::WRN, m, f, l); }
void VTRDebug::e(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::ERR, m, f, l); }
void VTRDebug::errorMessage(const QString& m, const QString&, const QString& f, long l) { out(Debug::Level::ERR, m, f, l); }

void VTRDebug::verify(bool condition, const QString& m, const QString&, const QString& f, long l)
{
    Debug::verify(condition, m, kFixedFile, f, int(l));
}

void VTRDebug::showFunctionEnter(const QString& m, const QString&, const QString& f, long l)
{
    Debug::showFunctionEnterOrLeave(true, m, kFixedFile, f, int(l));
}

void VTRDebug::showFunctionLeave(const QString& m, const QString&, const QString& f, long l)
{
    Debug::showFunctionEnterOrLeave(false, m, kFixedFile, f, int(l));
}

void VTRDebug::doCustomConfigOneTimeWithDebugLevel(long debugLevel, long debugLevelOfShowLeaveFunction,
                                                   bool enableDebugMessage)
{
    const auto level = Debug::levelFromRaw(int(debugLevel));
    const auto leaveLevel = Debug::levelFromRaw(int(debugLevelOfShowLeaveFunction));
    Debug::doCustomConfigOneTime(level.value_or(Debug::Level::INF), leaveLevel.value_or(Debug::Level::VBO), {}, {},
                                 enableDebugMessage);
}
