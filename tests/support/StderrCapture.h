#pragma once

#include <QString>

// Collects what is written to standard error (the program's log) while it
// lives, and writes it through again when it ends.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written so far.
    QString text();
    int count(const QString& needle);

private:
    int m_savedFd = -1;
    int m_fileFd = -1;
    QString m_path;
};
