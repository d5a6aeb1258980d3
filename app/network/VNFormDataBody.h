#pragma once

#include "VNError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QVariant>

#include <optional>

class VNPostBodySink;

// The fields and files of a form post, in the order they were added, and
// the two ways of writing them as a request body: URL-encoded, or
// multipart form data with files streamed from disk.
class VNFormDataBody {
public:
    enum PostFormat { MultipartFormDataPostFormat = 0, URLEncodedPostFormat = 1 };

    struct ValueEntry {
        QString key;
        QString value;
    };
    struct FileEntry {
        QString key;
        QString fileName;
        QString contentType;
        // Exactly one of the two: a file on disk, or bytes in memory.
        QString path;
        QByteArray data;
        bool isPath = false;
    };

    // A null key is ignored; the value goes as its text form.
    void addPostValue(const QVariant& value, const QString& key);
    // Drops every value of that key, then adds.
    void setPostValue(const QVariant& value, const QString& key);

    // A missing file, or a folder, answers error 6 "No file exists at <path>"
    // (the request fails with it); the entry is recorded all the same. The
    // name defaults to the path's last component, the type to the file's.
    std::optional<VNError> addFile(const QString& path, const QString& key);
    std::optional<VNError> addFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key);
    std::optional<VNError> setFile(const QString& path, const QString& key);
    std::optional<VNError> setFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key);

    // Name "file" and type "application/octet-stream" unless given.
    void addData(const QByteArray& data, const QString& key);
    void addData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key);
    void setData(const QByteArray& data, const QString& key);
    void setData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key);

    const QList<ValueEntry>& postData() const { return postData_; }
    const QList<FileEntry>& fileData() const { return fileData_; }
    bool isEmpty() const { return postData_.isEmpty() && fileData_.isEmpty(); }

    PostFormat postFormat() const { return postFormat_; }
    void setPostFormat(PostFormat format) { postFormat_ = format; }
    QStringConverter::Encoding stringEncoding() const { return stringEncoding_; }
    void setStringEncoding(QStringConverter::Encoding encoding) { stringEncoding_ = encoding; }

    // Writes the body and its headers into the request. Does nothing for an
    // empty form (the request then builds its own body). Any file switches
    // the request to streaming from disk and the form to multipart.
    void buildPostBody(VNPostBodySink& sink);
    void buildURLEncodedPostBody(VNPostBodySink& sink);
    void buildMultipartFormDataPostBody(VNPostBodySink& sink);

    // Percent-escapes all but letters, digits, "-", "." and "_", as %XX of
    // the text's bytes in the string encoding.
    QString encodeURL(const QString& text) const;
    // A name as it may stand between the quotes of a Content-Disposition
    // parameter: a quote, CR or LF would end the parameter or the header
    // line early, so they go as %22, %0D, %0A.
    static QString dispositionParameter(const QString& name);
    // The encoding's IANA name, as the Content-Type charset.
    static QString charsetName(QStringConverter::Encoding encoding);

private:
    QByteArray encoded(const QString& text) const;
    void removeFileEntries(const QString& key);

    QList<ValueEntry> postData_;
    QList<FileEntry> fileData_;
    PostFormat postFormat_ = URLEncodedPostFormat;
    QStringConverter::Encoding stringEncoding_ = QStringConverter::Utf8;
};
