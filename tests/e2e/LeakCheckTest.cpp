// The harness's own leak check: which leaks count against the program,
// read from reports as the leak checker prints them, and end to end on a
// window that leaks on purpose beside a graphics driver that keeps memory.
#include "E2EHarness.h"
#include "LeakReport.h"

#include <gtest/gtest.h>

namespace {

const char* const kAllocator = "    #0 0x7f4ca30b9628 in operator new[](unsigned long) asan_new_delete.cpp:98 </lib/x86_64-linux-gnu/libasan.so.8>\n";
const char* const kOurHandler =
    "    #1 0x55ff59dd027b in SWDocument::paint() /src/app/document/SWDocument.cpp:4 </build/asan/bin/velumo>\n";
const char* const kOurLibrary =
    "    #2 0x7f0000001000 in VTRButton::click() /src/VTRButton.cpp:9 </tmp/x/prefix/lib/libVTRUI.so>\n";
const char* const kQt = "    #3 0x7f4ca2b2388c in QCoreApplication::notifyInternal2(QObject*, QEvent*) "
                        "(/lib/x86_64-linux-gnu/libQt6Core.so.6+0x12388c) </lib/x86_64-linux-gnu/libQt6Core.so.6>\n";
const char* const kGlibLoop = "    #4 0x7f4ca1f1e718 in g_main_context_dispatch (/lib/x86_64-linux-gnu/libglib-2.0.so.0+0x54718) "
                              "</lib/x86_64-linux-gnu/libglib-2.0.so.0>\n";
const char* const kGlibAllocation = "    #1 0x7f4ca1f20000 in g_malloc (/lib/x86_64-linux-gnu/libglib-2.0.so.0+0x5e5d8) "
                                    "</lib/x86_64-linux-gnu/libglib-2.0.so.0>\n";
const char* const kDbus = "    #2 0x7f4ca1a00000 in dbus_connection_dispatch (/lib/x86_64-linux-gnu/libdbus-1.so.3+0x1f000) "
                          "</lib/x86_64-linux-gnu/libdbus-1.so.3>\n";
const char* const kGenerated = "    #1 0x7f4c9e2f1a30  <unknown module>\n";
const char* const kMain = "    #9 0x55ff59dd0000 in main /src/app/main.cpp:30 </build/asan/bin/velumo>\n";
// Frames as the checker prints them by default: the module only for frames
// without source.
const char* const kPlainGlib = "    #1 0x7f4ca1f20000 in g_malloc (/lib/x86_64-linux-gnu/libglib-2.0.so.0+0x5e5d8)\n";
const char* const kPlainQt = "    #2 0x7f4ca2b2388c in QObject::event(QEvent*) (/lib/x86_64-linux-gnu/libQt6Core.so.6+0x15f8dd)\n";

QString report(std::initializer_list<std::pair<const char*, QString>> leaks)
{
    QString text = QStringLiteral("==123==ERROR: LeakSanitizer: detected memory leaks\n\n");
    for (const auto& [heading, stack] : leaks)
        text += QString::fromLatin1(heading) + QStringLiteral(" leak of 96 byte(s) in 1 object(s) allocated from:\n") + stack + u'\n';
    return text + QStringLiteral("SUMMARY: AddressSanitizer: 96 byte(s) leaked in 1 allocation(s).\n");
}

QString stack(std::initializer_list<const char*> frames)
{
    QString text;
    for (const char* frame : frames)
        text += QString::fromLatin1(frame);
    return text;
}

} // namespace

TEST(LeakReport, CountsALeakUnlessALibraryThatCallsUsAllocatedItBeforeOurCode)
{
    struct Case {
        const char* name;
        QString standardError;
        int leaks;
        int counted;
    };
    const Case cases[] = {
        {"an event handler of ours, beneath the event loop",
         report({{"Direct", stack({kAllocator, kOurHandler, kQt, kGlibLoop, kMain})}}), 1, 1},
        {"a library of ours, installed elsewhere", report({{"Direct", stack({kAllocator, kOurLibrary, kQt, kGlibLoop})}}), 1, 1},
        {"an indirect leak of ours", report({{"Indirect", stack({kAllocator, kOurHandler, kGlibLoop})}}), 1, 1},
        {"glib's own allocation, though our code is beneath",
         report({{"Direct", stack({kAllocator, kGlibAllocation, kQt, kOurHandler, kMain})}}), 1, 0},
        {"D-Bus's own allocation", report({{"Direct", stack({kAllocator, kDbus, kQt, kOurHandler})}}), 1, 0},
        {"a stack with no frame of ours still counts", report({{"Direct", stack({kAllocator, kQt})}}), 1, 1},
        {"modules read from the default frame format",
         report({{"Direct", QString::fromLatin1(kPlainGlib) + QString::fromLatin1(kPlainQt)}}), 1, 0},
        {"two leaks, one each", report({{"Direct", stack({kAllocator, kGlibAllocation, kOurHandler})},
                                        {"Direct", stack({kAllocator, kOurHandler, kGlibLoop})}}),
         2, 1},
        {"generated code only, where the unwinder stops short of the driver",
         report({{"Direct", stack({kAllocator, kGenerated})}}), 1, 0},
        {"no report", QStringLiteral("App Build Info:[Velumo - 1.0]\n"), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LeakReport leaks(c.standardError);
        EXPECT_EQ(leaks.leakCount(), c.leaks);
        ASSERT_EQ(leaks.leaksOfOurCode().size(), c.counted);
        // What a failure shows: the heading and the whole stack.
        for (const QString& leak : leaks.leaksOfOurCode())
            EXPECT_TRUE(leak.contains(QLatin1String(" leak of 96 byte(s)")) && leak.contains(QLatin1String("#0 "))) << leak.toStdString();
    }
}

TEST(LeakCheck, ALeakOfOurCodeFailsTheRunAndTheGraphicsDriversDoNot)
{
#ifdef VELUMO_E2E_LEAK_CHECKED
    constexpr bool checked = true;
#else
    constexpr bool checked = false; // no leak checker in this build
#endif
    struct Case {
        QStringList arguments;
        bool leaks;
    };
    const Case cases[] = {
        {{}, false},
        {{QStringLiteral("--opengl")}, false},
        {{QStringLiteral("--leak")}, true},
        {{QStringLiteral("--opengl"), QStringLiteral("--leak")}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        E2EHarness h;
        ASSERT_TRUE(h.launch(c.arguments, QStringLiteral(VELUMO_LEAK_PROBE)));
        const QString window = h.waitForWindow(QStringLiteral("^Leak probe$"));
        ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
        h.focus(window);
        h.key(QStringLiteral("ctrl+q"));
        // The program's own exit code, whatever the leak check found.
        EXPECT_EQ(h.waitForExit(), 0) << h.standardError().toStdString();
        const bool reported = h.stderrHasSanitizerReport();
        EXPECT_EQ(reported, c.leaks && checked) << h.standardError().toStdString();
        if (c.leaks && checked) {
            const QStringList ours = LeakReport(h.standardError()).leaksOfOurCode();
            ASSERT_EQ(ours.size(), 1) << h.standardError().toStdString();
            EXPECT_TRUE(ours.constFirst().contains(QLatin1String("loseABlockOnPurpose"))) << ours.constFirst().toStdString();
            EXPECT_TRUE(ours.constFirst().contains(QLatin1String("96 byte(s)")));
        }
    }
}
