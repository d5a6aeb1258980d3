#pragma once

#include "platform/appkit/Responder.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <QTest>
#include <QWidget>

// A window that shows one control at a pinned place, in the Fusion style
// with a pinned pixel font, so pictures of it are the same everywhere.
struct ControlHost {
    QWidget window;
    explicit ControlHost(QWidget* control, const QRect& geometry, const QSize& windowSize = QSize(160, 60))
    {
        static QStyle* fusion = QStyleFactory::create("Fusion");
        window.setStyle(fusion);
        QFont font("DejaVu Sans");
        font.setPixelSize(11);
        window.setFont(font);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(0x45, 0x45, 0x45));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(windowSize);
        control->setParent(&window);
        control->setGeometry(geometry);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        // Qt drops a move to where the mouse already is (an earlier window
        // may have left it there): start every test from the far corner.
        QTest::mouseMove(&window, QPoint(windowSize.width() - 1, windowSize.height() - 1));
    }
    // The next test's window shows where this one was: the mouse must not
    // be found over its controls from the start.
    ~ControlHost() { QTest::mouseMove(&window, QPoint(-200, -200)); }
};

// Counts the actions that reach it.
class ActionCounter : public platform::Responder {
public:
    explicit ActionCounter(const QString& action)
    {
        addAction(action, [this](QObject* sender) {
            ++count;
            lastSender = sender;
        });
    }
    int count = 0;
    QObject* lastSender = nullptr;
};
