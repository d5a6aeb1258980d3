#include "CommandLine.h"

#include "platform/foundation/Bundle.h"

#include <mutex>

namespace {

constexpr QLatin1String kOptionPrefix("--");

struct State {
    std::mutex mutex;
    bool built = false;
    CommandLine::ArgumentsDict dict;
};

State& state()
{
    static State s;
    return s;
}

} // namespace

CommandLine::ArgumentsDict CommandLine::parseArguments(const QStringList& arguments)
{
    ArgumentsDict dict;
    qsizetype position = 0;
    while (position < arguments.size()) {
        const QString& argument = arguments[position++];
        if (!argument.startsWith(kOptionPrefix))
            continue;
        QStringList values;
        while (position < arguments.size() && !arguments[position].startsWith(kOptionPrefix))
            values << arguments[position++];
        dict.insert(argument, values);
    }
    return dict;
}

CommandLine::ArgumentsDict CommandLine::vtrArgumentsDict()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.built) {
        s.dict = parseArguments(platform::Bundle::arguments());
        s.built = true;
    }
    return s.dict;
}

void CommandLine::setVTRArgumentsDict(const ArgumentsDict& dict)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.dict = dict;
    s.built = true;
}

std::optional<QStringList> CommandLine::vtrArgumentValue(const QString& option)
{
    const ArgumentsDict dict = vtrArgumentsDict();
    const auto it = dict.constFind(option);
    if (it == dict.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<QString> CommandLine::vtrArgumentFirstValue(const QString& option)
{
    const auto values = vtrArgumentValue(option);
    if (!values || values->isEmpty())
        return std::nullopt;
    return values->first();
}

void CommandLine::resetForTesting()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.dict.clear();
    s.built = false;
}
