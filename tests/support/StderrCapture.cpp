#include "StderrCapture.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

StderrCapture::StderrCapture()
{
    std::fflush(stderr);
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/velumo-stderr-XXXXXX";
    m_fileFd = mkstemp(pattern.data());
    m_path = QString::fromLocal8Bit(pattern);
    m_savedFd = dup(STDERR_FILENO);
    dup2(m_fileFd, STDERR_FILENO);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    const QString captured = text();
    dup2(m_savedFd, STDERR_FILENO);
    close(m_savedFd);
    close(m_fileFd);
    QFile::remove(m_path);
    const QByteArray bytes = captured.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString StderrCapture::text()
{
    std::fflush(stderr);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll());
}

int StderrCapture::count(const QString& needle)
{
    return int(text().count(needle));
}
