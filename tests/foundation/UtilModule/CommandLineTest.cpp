#include "CommandLine.h"

#include "platform/foundation/Bundle.h"

#include <gtest/gtest.h>

using Dict = CommandLine::ArgumentsDict;

TEST(CommandLine, OptionNames)
{
    EXPECT_EQ(CommandLine::VTRArgument::name, "--vtrname");
    EXPECT_EQ(CommandLine::VTRArgument::hideUserInterface, "--vtrhideui");
    EXPECT_EQ(CommandLine::VTRArgument::forceAction, "--vtrforceaction");
    EXPECT_EQ(CommandLine::VTRArgument::reportsRootDirectoryPath, "--vtrreportsdir");
    EXPECT_EQ(CommandLine::VTRArgument::configFilePath, "--vtrconfigfile");
    EXPECT_EQ(CommandLine::VTRArgument::taskListFilePath, "--vtrtasklist");
    EXPECT_EQ(CommandLine::VTRArgument::docbookPath, "--vtrdocbookpath");
}

TEST(CommandLine, ParsingTable)
{
    struct Case { QStringList arguments; Dict expected; };
    const Case cases[] = {
        { { "/bin/prog", "--vtrname", "one", "two", "--vtrhideui" },
          { { "--vtrname", { "one", "two" } }, { "--vtrhideui", {} } } },
        // The last occurrence wins; a stray word before any option is dropped.
        { { "/bin/prog", "stray", "--vtrname", "first", "--vtrname", "second" },
          { { "--vtrname", { "second" } } } },
        { { "/bin/prog", "--vtrconfigfile", "-single" }, { { "--vtrconfigfile", { "-single" } } } },
        { { "/bin/prog" }, {} },
        { {}, {} },
        // Any double-dash word is an option; there is no "=" syntax.
        { { "/bin/prog", "--other=1", "x", "--", "y" }, { { "--other=1", { "x" } }, { "--", { "y" } } } },
        { { "/bin/prog", "--vtrforceaction", "build", "--vtrdocbookpath", "/d/book", "--vtrreportsdir" },
          { { "--vtrforceaction", { "build" } }, { "--vtrdocbookpath", { "/d/book" } }, { "--vtrreportsdir", {} } } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommandLine::parseArguments(c.arguments), c.expected) << c.arguments.join(' ').toStdString();
}

TEST(CommandLine, LookUpsOnTheProcessDictionary)
{
    CommandLine::setVTRArgumentsDict(CommandLine::parseArguments(
        { "/bin/prog", "--vtrname", "one", "two", "--vtrhideui", "--vtrforceaction", "run" }));
    EXPECT_EQ(CommandLine::vtrArgumentValue(CommandLine::VTRArgument::name), QStringList({ "one", "two" }));
    EXPECT_EQ(CommandLine::vtrArgumentFirstValue(CommandLine::VTRArgument::name), QString("one"));
    EXPECT_EQ(CommandLine::vtrArgumentValue(CommandLine::VTRArgument::hideUserInterface), QStringList());
    EXPECT_FALSE(CommandLine::vtrArgumentFirstValue(CommandLine::VTRArgument::hideUserInterface));
    EXPECT_FALSE(CommandLine::vtrArgumentValue(CommandLine::VTRArgument::docbookPath));
    EXPECT_FALSE(CommandLine::vtrArgumentValue("--VTRNAME")); // exact keys only
    EXPECT_FALSE(CommandLine::vtrArgumentValue("vtrname"));
    CommandLine::resetForTesting();
}

TEST(CommandLine, BuiltOnceFromTheArgumentsTheProgramStartedWith)
{
    const QStringList saved = platform::Bundle::arguments();
    const char* argv[] = { "/bin/prog", "--vtrtasklist", "tasks.txt", "--vtrname", "n" };
    platform::Bundle::captureArguments(5, const_cast<char**>(argv));
    CommandLine::resetForTesting();

    EXPECT_EQ(CommandLine::vtrArgumentFirstValue(CommandLine::VTRArgument::taskListFilePath), QString("tasks.txt"));
    // Later changes to the argument list are not seen.
    const char* other[] = { "/bin/prog", "--vtrname", "changed" };
    platform::Bundle::captureArguments(3, const_cast<char**>(other));
    EXPECT_EQ(CommandLine::vtrArgumentFirstValue(CommandLine::VTRArgument::name), QString("n"));

    std::vector<QByteArray> restored;
    std::vector<char*> pointers;
    for (const QString& argument : saved)
        restored.push_back(argument.toLocal8Bit());
    for (QByteArray& argument : restored)
        pointers.push_back(argument.data());
    platform::Bundle::captureArguments(int(pointers.size()), pointers.data());
    CommandLine::resetForTesting();
}
