#pragma once

#include "VNFormDataBody.h"
#include "VNHTTPRequest.h"

// A request that posts a form: named values and files, sent URL-encoded or
// as multipart form data (files then go from disk, never whole in memory).
// The body is written just before the request is sent.
class VNFormDataRequest : public VNHTTPRequest {
public:
    static std::shared_ptr<VNFormDataRequest> requestWithURL(const QUrl& url);
    explicit VNFormDataRequest(const QUrl& url);

    void addPostValue(const QVariant& value, const QString& key);
    void setPostValue(const QVariant& value, const QString& key);
    // A missing file, or a folder, fails the request at once with error 6.
    void addFile(const QString& path, const QString& key);
    void addFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key);
    void setFile(const QString& path, const QString& key);
    void setFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key);
    void addData(const QByteArray& data, const QString& key);
    void addData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key);
    void setData(const QByteArray& data, const QString& key);
    void setData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key);

    const QList<VNFormDataBody::ValueEntry>& postData() const { return m_form.postData(); }
    const QList<VNFormDataBody::FileEntry>& fileData() const { return m_form.fileData(); }
    VNFormDataBody::PostFormat postFormat() const { return m_form.postFormat(); }
    void setPostFormat(VNFormDataBody::PostFormat format) { m_form.setPostFormat(format); }
    QStringConverter::Encoding stringEncoding() const { return m_form.stringEncoding(); }
    void setStringEncoding(QStringConverter::Encoding encoding) { m_form.setStringEncoding(encoding); }
    QString encodeURL(const QString& text) const { return m_form.encodeURL(text); }

    void buildPostBody() override;

private:
    void failIf(const std::optional<VNError>& error);

    VNFormDataBody m_form;
};
