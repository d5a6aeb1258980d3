#include "VNFormDataRequest.h"

#include "VNPostBodySink.h"

namespace {
// The form writes into the request's own body store.
class RequestSink : public VNPostBodySink {
public:
    explicit RequestSink(VNHTTPRequest& request)
        : m_request(request)
    {
    }
    void addRequestHeader(const QString& name, const QString& value) override { m_request.addRequestHeader(name, value); }
    void setShouldStreamPostDataFromDisk(bool on) override { m_request.setShouldStreamPostDataFromDisk(on); }
    void appendPostData(const QByteArray& data) override { m_request.appendPostData(data); }
    void appendPostDataFromFile(const QString& path) override { m_request.appendPostDataFromFile(path); }

private:
    VNHTTPRequest& m_request;
};
} // namespace

std::shared_ptr<VNFormDataRequest> VNFormDataRequest::requestWithURL(const QUrl& url)
{
    return std::make_shared<VNFormDataRequest>(url);
}

VNFormDataRequest::VNFormDataRequest(const QUrl& url)
    : VNHTTPRequest(url)
{
    m_form.setPostFormat(VNFormDataBody::URLEncodedPostFormat);
    m_form.setStringEncoding(QStringConverter::Utf8);
    setRequestMethod(QStringLiteral("POST"));
}

void VNFormDataRequest::addPostValue(const QVariant& value, const QString& key) { m_form.addPostValue(value, key); }
void VNFormDataRequest::setPostValue(const QVariant& value, const QString& key) { m_form.setPostValue(value, key); }
void VNFormDataRequest::addFile(const QString& path, const QString& key) { failIf(m_form.addFile(path, key)); }
void VNFormDataRequest::addFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key)
{
    failIf(m_form.addFile(path, fileName, contentType, key));
}
void VNFormDataRequest::setFile(const QString& path, const QString& key) { failIf(m_form.setFile(path, key)); }
void VNFormDataRequest::setFile(const QString& path, const QString& fileName, const QString& contentType, const QString& key)
{
    failIf(m_form.setFile(path, fileName, contentType, key));
}
void VNFormDataRequest::addData(const QByteArray& data, const QString& key) { m_form.addData(data, key); }
void VNFormDataRequest::addData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key)
{
    m_form.addData(data, fileName, contentType, key);
}
void VNFormDataRequest::setData(const QByteArray& data, const QString& key) { m_form.setData(data, key); }
void VNFormDataRequest::setData(const QByteArray& data, const QString& fileName, const QString& contentType, const QString& key)
{
    m_form.setData(data, fileName, contentType, key);
}

void VNFormDataRequest::failIf(const std::optional<VNError>& error)
{
    if (error)
        failWithError(*error);
}

void VNFormDataRequest::buildPostBody()
{
    if (haveBuiltPostBody())
        return;
    if (!m_form.isEmpty()) {
        RequestSink sink(*this);
        m_form.buildPostBody(sink);
    }
    VNHTTPRequest::buildPostBody();
}
