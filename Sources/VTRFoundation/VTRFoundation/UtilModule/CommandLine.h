#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The process's double-dash options with the words that follow each. Every
// argument beginning with "--" is an option (the last occurrence wins); the
// arguments after it, up to the next "--" argument, are its values. There is
// no "=" syntax, and a single "-" argument is an ordinary value.
class CommandLine {
public:
    CommandLine() = delete;

    // The library's own option names. They carry no behaviour here.
    struct VTRArgument {
        static inline const QString name = QStringLiteral("--vtrname");
        static inline const QString hideUserInterface = QStringLiteral("--vtrhideui");
        static inline const QString forceAction = QStringLiteral("--vtrforceaction");
        static inline const QString reportsRootDirectoryPath = QStringLiteral("--vtrreportsdir");
        static inline const QString configFilePath = QStringLiteral("--vtrconfigfile");
        static inline const QString taskListFilePath = QStringLiteral("--vtrtasklist");
        static inline const QString docbookPath = QStringLiteral("--vtrdocbookpath");
    };

    using ArgumentsDict = QMap<QString, QStringList>;

    // Built once, on first use, from the argument list the program started
    // with (before the toolkit took out its own options). A client may
    // replace it afterwards.
    static ArgumentsDict vtrArgumentsDict();
    static void setVTRArgumentsDict(const ArgumentsDict& dict);

    // The values stored for that exact option text (with its "--"); an empty
    // list for an option without values, nothing when it did not occur.
    static std::optional<QStringList> vtrArgumentValue(const QString& option);
    // Its first value; nothing when it did not occur or had no values.
    static std::optional<QString> vtrArgumentFirstValue(const QString& option);

    // The parse itself, for a given argument list (position 0 is the program).
    static ArgumentsDict parseArguments(const QStringList& arguments);

    // Forget the built dictionary so the next use reads the arguments again.
    // Only for tests.
    static void resetForTesting();
};
