#pragma once

#include <QWidget>

// The box that holds an ad's page; known by its tag.
class MyPushAdBoxView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTag = 27921;

    explicit MyPushAdBoxView(QWidget* parent = nullptr);
    int tag() const { return kTag; }
};
