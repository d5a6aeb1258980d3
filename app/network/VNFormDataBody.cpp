#include "VNFormDataBody.h"

#include "VNPostBodySink.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringEncoder>
#include <QUuid>

void VNFormDataBody::addPostValue(const QVariant& value, const QString& key)
{
    if (key.isNull())
        return;
    postData_.append({key, value.toString()});
}

void VNFormDataBody::setPostValue(const QVariant& value, const QString& key)
{
    postData_.removeIf([&](const ValueEntry& e) { return e.key == key; });
    addPostValue(value, key);
}

std::optional<VNError> VNFormDataBody::addFile(const QString& path, const QString& key)
{
    return addFile(path, QString(), QString(), key);
}

std::optional<VNError> VNFormDataBody::addFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key)
{
    const QFileInfo info(path);
    std::optional<VNError> error;
    if (!info.exists() || info.isDir())
        error = VNError::make(VNHTTPRequestErrorDomain, 6, QStringLiteral("No file exists at %1").arg(path));
    FileEntry entry;
    entry.key = key;
    entry.fileName = fileName.isNull() ? info.fileName() : fileName;
    entry.contentType = contentType;
    if (entry.contentType.isNull()) {
        entry.contentType = QStringLiteral("application/octet-stream");
        if (!info.suffix().isEmpty()) {
            const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
            if (type.isValid() && !type.isDefault())
                entry.contentType = type.name();
        }
    }
    entry.path = path;
    entry.isPath = true;
    fileData_.append(entry);
    return error;
}

std::optional<VNError> VNFormDataBody::setFile(const QString& path, const QString& key)
{
    return setFile(path, QString(), QString(), key);
}

std::optional<VNError> VNFormDataBody::setFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key)
{
    removeFileEntries(key);
    return addFile(path, fileName, contentType, key);
}

void VNFormDataBody::addData(const QByteArray& data, const QString& key)
{
    addData(data, QStringLiteral("file"), QString(), key);
}

void VNFormDataBody::addData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key)
{
    FileEntry entry;
    entry.key = key;
    entry.fileName = fileName;
    entry.contentType = contentType.isNull() ? QStringLiteral("application/octet-stream") : contentType;
    entry.data = data;
    fileData_.append(entry);
}

void VNFormDataBody::setData(const QByteArray& data, const QString& key)
{
    setData(data, QStringLiteral("file"), QString(), key);
}

void VNFormDataBody::setData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key)
{
    removeFileEntries(key);
    addData(data, fileName, contentType, key);
}

void VNFormDataBody::removeFileEntries(const QString& key)
{
    fileData_.removeIf([&](const FileEntry& e) { return e.key == key; });
}

void VNFormDataBody::buildPostBody(VNPostBodySink& sink)
{
    if (isEmpty())
        return;
    if (!fileData_.isEmpty())
        sink.setShouldStreamPostDataFromDisk(true);
    if (postFormat_ == URLEncodedPostFormat)
        buildURLEncodedPostBody(sink);
    else
        buildMultipartFormDataPostBody(sink);
}

void VNFormDataBody::buildURLEncodedPostBody(VNPostBodySink& sink)
{
    // Files cannot travel URL-encoded.
    if (!fileData_.isEmpty()) {
        postFormat_ = MultipartFormDataPostFormat;
        buildMultipartFormDataPostBody(sink);
        return;
    }
    sink.addRequestHeader(QStringLiteral("Content-Type"),
                          QStringLiteral("application/x-www-form-urlencoded; charset=%1").arg(charsetName(stringEncoding_)));
    QString body;
    for (qsizetype i = 0; i < postData_.size(); ++i) {
        body += encodeURL(postData_[i].key) + u'=' + encodeURL(postData_[i].value);
        if (i + 1 < postData_.size())
            body += u'&';
    }
    sink.appendPostData(encoded(body));
}

void VNFormDataBody::buildMultipartFormDataPostBody(VNPostBodySink& sink)
{
    const QString boundary = QStringLiteral("0xKhTmLbOuNdArY-%1")
                                 .arg(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    sink.addRequestHeader(QStringLiteral("Content-Type"),
                          QStringLiteral("multipart/form-data; charset=%1; boundary=%2").arg(charsetName(stringEncoding_), boundary));
    const QString separator = QStringLiteral("\r\n--%1\r\n").arg(boundary);

    sink.appendPostData(encoded(QStringLiteral("--%1\r\n").arg(boundary)));
    for (qsizetype i = 0; i < postData_.size(); ++i) {
        const ValueEntry& entry = postData_[i];
        sink.appendPostData(encoded(QStringLiteral("Content-Disposition: form-data; name=\"%1\"\r\n\r\n")
                                        .arg(dispositionParameter(entry.key))));
        sink.appendPostData(encoded(entry.value));
        if (i + 1 < postData_.size() || !fileData_.isEmpty())
            sink.appendPostData(encoded(separator));
    }
    for (qsizetype i = 0; i < fileData_.size(); ++i) {
        const FileEntry& entry = fileData_[i];
        sink.appendPostData(encoded(QStringLiteral("Content-Disposition: form-data; name=\"%1\"; filename=\"%2\"\r\n")
                                        .arg(dispositionParameter(entry.key), dispositionParameter(entry.fileName))));
        sink.appendPostData(encoded(QStringLiteral("Content-Type: %1\r\n\r\n").arg(entry.contentType)));
        if (entry.isPath)
            sink.appendPostDataFromFile(entry.path);
        else
            sink.appendPostData(entry.data);
        if (i + 1 < fileData_.size())
            sink.appendPostData(encoded(separator));
    }
    sink.appendPostData(encoded(QStringLiteral("\r\n--%1--\r\n").arg(boundary)));
}

QString VNFormDataBody::encodeURL(const QString& text) const
{
    QStringEncoder encoder(stringEncoding_, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return QString();
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = uchar(c);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')
            || b == '-' || b == '.' || b == '_';
        if (plain) {
            out += QChar(b);
        } else {
            out += u'%';
            out += QChar(hex[b >> 4]);
            out += QChar(hex[b & 0xF]);
        }
    }
    return out;
}

QString VNFormDataBody::dispositionParameter(const QString& name)
{
    QString out = name;
    out.replace(u'"', QLatin1String("%22"));
    out.replace(u'\r', QLatin1String("%0D"));
    out.replace(u'\n', QLatin1String("%0A"));
    return out;
}

QString VNFormDataBody::charsetName(QStringConverter::Encoding encoding)
{
    switch (encoding) {
    case QStringConverter::Utf8:
        return QStringLiteral("utf-8");
    case QStringConverter::Latin1:
        return QStringLiteral("iso-8859-1");
    default:
        return QString::fromLatin1(QStringConverter::nameForEncoding(encoding)).toLower();
    }
}

QByteArray VNFormDataBody::encoded(const QString& text) const
{
    QStringEncoder encoder(stringEncoding_);
    return encoder.encode(text);
}
