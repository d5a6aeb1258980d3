#pragma once

#include <QLabel>

// A white caption with a soft grey shadow, over whatever lies behind it. It
// never takes a click.
class KZWhiteLabel : public QLabel {
    Q_OBJECT
public:
    explicit KZWhiteLabel(const QString& text = QString(), QWidget* parent = nullptr);
};
