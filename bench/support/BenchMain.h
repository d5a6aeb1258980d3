#pragma once

#include "platform/foundation/UserDefaults.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// The main of the tool benchmarks: a private settings folder (so no run
// reads or writes the user's), the offscreen platform unless one is asked
// for, and anti-aliasing on as in a fresh install.
inline int runToolBenchmarks(int argc, char** argv)
{
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    platform::UserDefaults::standard().registerDefaults({{QStringLiteral("AllowAntialias"), true}});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
