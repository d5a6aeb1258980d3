#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// A control of the program as its accessibility tree reports it.
struct AccessibleControl {
    // The accessibility states the tests look at (bit numbers of the
    // accessibility bus's state set).
    static constexpr int kChecked = 4;
    static constexpr int kEnabled = 8;
    static constexpr int kShowing = 25;

    bool found = false;
    QString name;
    QString description;
    // The role as the bus names it ("check box", "push button", ...).
    QString role;
    // Where it is on the screen (screen coordinates).
    QRect extents;
    quint64 states = 0;

    QPoint centre() const { return extents.center(); }
    bool has(int state) const { return (states >> state) & 1u; }
    bool isChecked() const { return has(kChecked); }
    bool isEnabled() const { return has(kEnabled); }
};
