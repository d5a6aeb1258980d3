#include "DOMXMLTree.h"

namespace {

bool isDocumentType(xmlElementType type)
{
    return type == XML_DOCUMENT_NODE || type == XML_HTML_DOCUMENT_NODE;
}

void freeRecord(xmlNodePtr record)
{
    if (!record)
        return;
    if (record->type == XML_NAMESPACE_DECL)
        xmlFreeNs(reinterpret_cast<xmlNsPtr>(record));
    else if (isDocumentType(record->type))
        xmlFreeDoc(reinterpret_cast<xmlDocPtr>(record));
    else
        xmlFreeNode(record);
}

} // namespace

std::size_t DOMXMLTree::Djb2::operator()(std::string_view text) const noexcept
{
    std::size_t hash = 5381;
    for (char c : text)
        hash = hash * 33 + static_cast<std::size_t>(static_cast<signed char>(c));
    return hash;
}

DOMXMLTree::DOMXMLTree(xmlNodePtr root)
    : root_(root)
{
}

std::shared_ptr<DOMXMLTree> DOMXMLTree::forDocument(xmlDocPtr doc, bool withStringCache)
{
    std::shared_ptr<DOMXMLTree> tree(new DOMXMLTree(reinterpret_cast<xmlNodePtr>(doc)));
    tree->hasStringCache_ = withStringCache;
    return tree;
}

std::shared_ptr<DOMXMLTree> DOMXMLTree::forRecord(xmlNodePtr record)
{
    return std::shared_ptr<DOMXMLTree>(new DOMXMLTree(record));
}

DOMXMLTree::~DOMXMLTree()
{
    // Retired records may use the document's dictionary and ID table, so
    // they go before the document itself.
    for (auto it = retiredNodes_.rbegin(); it != retiredNodes_.rend(); ++it)
        xmlFreeNode(*it);
    for (auto it = retiredNamespaces_.rbegin(); it != retiredNamespaces_.rend(); ++it)
        xmlFreeNs(*it);
    if (ownsRoot_)
        freeRecord(root_);
    // dependencies_ are released after this body: they outlive our records.
}

xmlDocPtr DOMXMLTree::document() const
{
    if (root_ && isDocumentType(root_->type))
        return reinterpret_cast<xmlDocPtr>(root_);
    return nullptr;
}

void DOMXMLTree::retireNode(xmlNodePtr node)
{
    if (node)
        retiredNodes_.push_back(node);
}

void DOMXMLTree::retireNamespace(xmlNsPtr ns)
{
    if (ns) {
        ns->next = nullptr;
        retiredNamespaces_.push_back(ns);
    }
}

void DOMXMLTree::keepAlive(std::shared_ptr<DOMXMLTree> other)
{
    if (other && other.get() != this)
        dependencies_.push_back(std::move(other));
}

QString DOMXMLTree::internedString(const xmlChar* text)
{
    if (!text)
        return QString();
    std::string_view key(reinterpret_cast<const char*>(text));
    if (auto it = strings_.find(key); it != strings_.end())
        return it->second;
    QString value = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    strings_.emplace(std::string(key), value);
    return value;
}
