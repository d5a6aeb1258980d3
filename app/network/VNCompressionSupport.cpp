#include "VNCompressionSupport.h"

#include <QFileDevice>
#include <QFileInfo>

#include <memory>

namespace VNCompressionSupport {

VNError error(const QString& message, const QFileDevice* device)
{
    VNError result = VNError::make(QString::fromLatin1(VNHTTPRequestErrorDomain), VNCompressionErrorType, message);
    if (device)
        result.underlyingError = std::make_shared<const VNError>(
            VNError::make(QStringLiteral("QFileDevice"), static_cast<int>(device->error()), device->errorString()));
    return result;
}

bool sameFile(const QString& first, const QString& second)
{
    const QString a = QFileInfo(first).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(second).canonicalFilePath();
}

} // namespace VNCompressionSupport
