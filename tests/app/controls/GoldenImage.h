#pragma once

// Pictures compared with the goldens in tests/data/goldens/controls, named
// after the case. A pixel differs when one channel is off by more than the
// tolerance; a small share of differing pixels is allowed (text is drawn by
// the machine's font engine). VELUMO_UPDATE_GOLDENS=1 rewrites the goldens
// after a deliberate change of the skins or the drawing.
#include "ControlTestSupport.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>

inline constexpr int kChannelTolerance = 32;
inline constexpr double kDifferingShare = 0.02;

inline int differingPixels(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > kChannelTolerance || std::abs(p.green() - q.green()) > kChannelTolerance
                || std::abs(p.blue() - q.blue()) > kChannelTolerance
                || std::abs(p.alpha() - q.alpha()) > kChannelTolerance)
                ++differing;
        }
    }
    return differing;
}

inline void expectMatchesGolden(const QString& name, const QImage& picture)
{
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    const QString path = testDataPath("goldens/controls/" + name + ".png");
    if (qEnvironmentVariableIntValue("VELUMO_UPDATE_GOLDENS") == 1) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(actual.save(path)) << path.toStdString();
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(golden.isNull()) << "no golden " << path.toStdString();
    ASSERT_EQ(golden.size(), actual.size()) << name.toStdString();
    const int differing = differingPixels(golden, actual);
    const int allowed = int(actual.width() * actual.height() * kDifferingShare);
    if (differing > allowed) {
        const QString saved = QDir::temp().filePath(name + "-actual.png");
        actual.save(saved);
        ADD_FAILURE() << name.toStdString() << ": " << differing << " pixels differ (allowed " << allowed
                      << "); this run's picture is " << saved.toStdString();
    }
}

// Takes the control's look from the window, background included.
inline QImage controlPicture(const ControlHost& host, const QWidget* control)
{
    QImage image = const_cast<QWidget&>(host.window).grab(control->geometry()).toImage();
    image.setDevicePixelRatio(1.0);
    return image;
}
