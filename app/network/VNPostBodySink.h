#pragma once

#include <QByteArray>
#include <QString>

// What a form body needs of the request it is built into: a header, and
// the two ways of appending to the request's body store. Files are copied
// from disk by the store piece by piece, never read whole.
class VNPostBodySink {
public:
    virtual ~VNPostBodySink() = default;
    virtual void addRequestHeader(const QString& name, const QString& value) = 0;
    // The body goes to a file as it is appended and is sent from there.
    virtual void setShouldStreamPostDataFromDisk(bool stream) = 0;
    virtual void appendPostData(const QByteArray& data) = 0;
    virtual void appendPostDataFromFile(const QString& path) = 0;
};
