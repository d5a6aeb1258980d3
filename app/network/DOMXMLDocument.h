#pragma once

#include "DOMXMLNode.h"

#include <QByteArray>

#include <memory>

// A parsed or built XML document. Its wrappers (rootElement, XPath results
// and everything drawn from them) share ownership of the tree, so they stay
// valid after this object is gone.
class DOMXMLDocument {
public:
    // Whitespace-only text between elements is always dropped; options are
    // accepted for callers and not used. Null and *error (code -1) when the
    // data is empty or malformed; on success *error is cleared.
    static std::unique_ptr<DOMXMLDocument> initWithData(const QByteArray& data, int options, VNError* error = nullptr);
    static std::unique_ptr<DOMXMLDocument> initWithXMLString(const QString& string, int options, VNError* error = nullptr);
    // A new document whose root is a copy of element (none for null).
    static std::unique_ptr<DOMXMLDocument> initWithRootElement(const DOMXMLElementPtr& element);

    ~DOMXMLDocument();
    DOMXMLDocument(const DOMXMLDocument&) = delete;
    DOMXMLDocument& operator=(const DOMXMLDocument&) = delete;

    DOMXMLElementPtr rootElement() const;
    // Null when libxml2 produces nothing (e.g. an unknown character encoding).
    std::optional<QByteArray> XMLData() const;
    QString XMLString() const;
    // A null value leaves the field empty.
    void setVersion(const QString& version);
    void setCharacterEncoding(const QString& encoding);

    std::optional<DOMXMLNodeList> nodesForXPath(const QString& xpath, VNError* error = nullptr) const;
    std::optional<DOMXMLNodeList> nodesForXPath(const QString& xpath,
        const std::optional<QMap<QString, QString>>& namespaces, VNError* error = nullptr) const;

    QString description() const;

private:
    explicit DOMXMLDocument(xmlDocPtr doc);
    DOMXMLNodePtr documentNode() const;

    std::shared_ptr<DOMXMLTree> tree_;
    xmlDocPtr doc_ = nullptr;
};
