#pragma once

#include "VNError.h"

#include <QString>
#include <QtGlobal>

class QFileDevice;

// What the gzip compressor and decompressor share: their chunk and window
// sizes, the form of their errors, and the check that a file operation does
// not read and write one file.
namespace VNCompressionSupport {

constexpr qint64 FileChunkSize = 262144; // 256 KiB
constexpr qsizetype MinimumWindow = 16 * 1024;
constexpr qsizetype MaximumWindow = 256 * 1024;
constexpr qsizetype MaximumPiece = qsizetype(1) << 30; // zlib counts input in uInt

// A compression error (code 11 of the HTTP error domain), with the file's own
// error beneath it when a device is given.
VNError error(const QString& message, const QFileDevice* device = nullptr);

// True when both paths name one existing file.
bool sameFile(const QString& first, const QString& second);

} // namespace VNCompressionSupport
