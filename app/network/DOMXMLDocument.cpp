#include "DOMXMLDocument.h"

#include "DOMXMLElement.h"
#include "DOMXMLTree.h"

#include "platform/libraries/SystemLibraries.h"

#include <libxml/parser.h>

#include <climits>

namespace {

// Version and encoding may live in the document's dictionary.
void replaceDocumentString(xmlDocPtr doc, const xmlChar** field, const QString& value)
{
    if (*field && !(doc->dict && xmlDictOwns(doc->dict, *field)))
        xmlFree(const_cast<xmlChar*>(*field));
    *field = nullptr;
    if (!value.isNull()) {
        const QByteArray bytes = value.toUtf8();
        *field = xmlStrdup(reinterpret_cast<const xmlChar*>(bytes.constData()));
    }
}

} // namespace

DOMXMLDocument::DOMXMLDocument(xmlDocPtr doc)
    : tree_(DOMXMLTree::forDocument(doc, true))
    , doc_(doc)
{
}

DOMXMLDocument::~DOMXMLDocument() = default;

std::unique_ptr<DOMXMLDocument> DOMXMLDocument::initWithData(const QByteArray& data, int, VNError* error)
{
    xmlDocPtr doc = nullptr;
    // The XML library is loaded by the first document read; one that does
    // not load fails the read like a document that does not parse.
    if (data.size() <= INT_MAX && platform::systemlibraries::xml().load())
        doc = xmlReadMemory(data.constData(), static_cast<int>(data.size()), nullptr, nullptr,
            DOMXMLNode::ParseOptions);
    if (!doc) {
        VNError::report(error, VNError::make(QString::fromLatin1(DOMXMLErrorDomain), -1));
        return nullptr;
    }
    VNError::report(error, VNError());
    return std::unique_ptr<DOMXMLDocument>(new DOMXMLDocument(doc));
}

std::unique_ptr<DOMXMLDocument> DOMXMLDocument::initWithXMLString(const QString& string, int options, VNError* error)
{
    return initWithData(string.toUtf8(), options, error);
}

std::unique_ptr<DOMXMLDocument> DOMXMLDocument::initWithRootElement(const DOMXMLElementPtr& element)
{
    xmlDocPtr doc = xmlNewDoc(nullptr);
    if (!doc)
        return nullptr;
    if (element && element->XMLNode()) {
        if (xmlNodePtr copy = xmlCopyNode(element->XMLNode(), 1))
            xmlDocSetRootElement(doc, copy);
    }
    return std::unique_ptr<DOMXMLDocument>(new DOMXMLDocument(doc));
}

DOMXMLNodePtr DOMXMLDocument::documentNode() const
{
    return DOMXMLNode::wrap(reinterpret_cast<xmlNodePtr>(doc_), tree_);
}

DOMXMLElementPtr DOMXMLDocument::rootElement() const
{
    xmlNodePtr root = xmlDocGetRootElement(doc_);
    if (!root)
        return nullptr;
    return std::static_pointer_cast<DOMXMLElement>(DOMXMLNode::wrap(root, tree_));
}

std::optional<QByteArray> DOMXMLDocument::XMLData() const
{
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc_, &memory, &size);
    if (!memory)
        return std::nullopt;
    QByteArray data(reinterpret_cast<const char*>(memory), size);
    xmlFree(memory);
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

QString DOMXMLDocument::XMLString() const
{
    const std::optional<QByteArray> data = XMLData();
    return data ? QString::fromUtf8(*data) : QString();
}

void DOMXMLDocument::setVersion(const QString& version)
{
    replaceDocumentString(doc_, &doc_->version, version);
}

void DOMXMLDocument::setCharacterEncoding(const QString& encoding)
{
    replaceDocumentString(doc_, &doc_->encoding, encoding);
}

std::optional<DOMXMLNodeList> DOMXMLDocument::nodesForXPath(const QString& xpath, VNError* error) const
{
    return documentNode()->nodesForXPath(xpath, std::nullopt, error);
}

std::optional<DOMXMLNodeList> DOMXMLDocument::nodesForXPath(const QString& xpath,
    const std::optional<QMap<QString, QString>>& namespaces, VNError* error) const
{
    return documentNode()->nodesForXPath(xpath, namespaces, error);
}

QString DOMXMLDocument::description() const
{
    return QStringLiteral("DOMXMLDocument %1").arg(QString::asprintf("%p", static_cast<const void*>(this)));
}
