#pragma once

#include "VNError.h"

#include <QList>
#include <QMap>
#include <QString>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <optional>

class DOMXMLNode;
class DOMXMLElement;
class DOMXMLTree;

using DOMXMLNodePtr = std::shared_ptr<DOMXMLNode>;
using DOMXMLElementPtr = std::shared_ptr<DOMXMLElement>;
using DOMXMLNodeList = QList<DOMXMLNodePtr>;

// Error domain of the XML model; its parse errors have code -1.
inline constexpr const char* DOMXMLErrorDomain = "DOMXMLErrorDomain";

// A wrapper of one libxml2 record: an element, attribute, text, comment,
// document... or a namespace declaration (an xmlNs cast to xmlNodePtr).
//
// Lifetime: every wrapper drawn from a tree (navigation, XPath results,
// rootElement) shares ownership of that tree, so a wrapper stays valid even
// after its document object or the element it came from is gone. Owning
// wrappers (factories, copy(), DOMXMLElement::initWithXMLString) hold a tree
// of their own around a detached record. Only the raw-level entry points
// (nodeBorrowingXMLNode, XMLNode) leave lifetime to the caller.
//
// A wrapper and the wrappers drawn from the same tree are used by one
// thread at a time.
class DOMXMLNode {
protected:
    struct Token {
        explicit Token() = default;
    };

public:
    enum Kind : int {
        InvalidKind = 0,
        DocumentKind = 1,
        ElementKind = 2,
        AttributeKind = 3,
        NamespaceKind = 4,
        ProcessingInstructionKind = 5,
        CommentKind = 6,
        TextKind = 7,
        DTDKind = 8,
        EntityDeclarationKind = 9,
        AttributeDeclarationKind = 10,
        ElementDeclarationKind = 11,
        NotationDeclarationKind = 12,
    };

    // How documents and lone elements are parsed: whitespace-only text
    // between elements is dropped; nothing is fetched from the network and
    // parse diagnostics are returned, not printed.
    static constexpr int ParseOptions = XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

    DOMXMLNode(Token, xmlNodePtr record, std::shared_ptr<DOMXMLTree> tree);
    virtual ~DOMXMLNode();
    DOMXMLNode(const DOMXMLNode&) = delete;
    DOMXMLNode& operator=(const DOMXMLNode&) = delete;

    // Factories: each returns an owning wrapper, or null when libxml2 makes
    // no record.
    static DOMXMLElementPtr elementWithName(const QString& name);
    static DOMXMLElementPtr elementWithName(const QString& name, const QString& stringValue);
    // The namespace is resolved when the element is grafted into a tree.
    static DOMXMLElementPtr elementWithNameURI(const QString& name, const QString& URI);
    static DOMXMLNodePtr attributeWithName(const QString& name, const QString& stringValue);
    static DOMXMLNodePtr attributeWithNameURI(const QString& name, const QString& URI, const QString& stringValue);
    static DOMXMLNodePtr textWithStringValue(const QString& stringValue);
    // An empty name gives the default namespace; the string value is the URI.
    static DOMXMLNodePtr namespaceWithName(const QString& name, const QString& stringValue);

    // Raw-level wrappers. A consuming wrapper frees the record when the last
    // wrapper of its tree goes; a borrowing one never frees it and must not
    // outlive it.
    static DOMXMLNodePtr nodeConsumingXMLNode(xmlNodePtr record);
    static DOMXMLNodePtr nodeBorrowingXMLNode(xmlNodePtr record);

    static QString localNameForName(const QString& name);
    static QString prefixForName(const QString& name);

    QString stringValue() const;
    void setStringValue(const QString& value);

    QString name() const;
    QString qualifiedName() const;
    QString localName() const;
    QString prefix() const;
    QString URI() const;

    qsizetype childCount() const;
    // Empty when the node has no children (text nodes included).
    DOMXMLNodeList children() const;
    DOMXMLNodePtr childAtIndex(qsizetype index) const;

    Kind kind() const;
    QString XMLString() const;
    xmlNodePtr XMLNode() const { return record_; }
    // A recursive copy of the record that the caller owns.
    xmlNodePtr XMLNodeCopy() const;
    bool shouldFreeXMLNode() const;
    // false: the caller takes the record over. true: a detached record that
    // no tree owns yet is adopted; anything else is left as it is.
    void setShouldFreeXMLNode(bool shouldFree);

    // Null with *error set on failure; an empty list when nothing matches.
    std::optional<DOMXMLNodeList> nodesForXPath(const QString& xpath, VNError* error = nullptr) const;
    // Without a dictionary, the namespaces declared on this node (on the
    // root element for a document) are registered, the default one under
    // the prefix "_def_ns".
    std::optional<DOMXMLNodeList> nodesForXPath(const QString& xpath,
        const std::optional<QMap<QString, QString>>& namespaces, VNError* error = nullptr) const;

    QString description() const;
    virtual const char* className() const { return "DOMXMLNode"; }
    bool isEqual(const DOMXMLNode* other) const;
    bool isEqual(const DOMXMLNodePtr& other) const { return isEqual(other.get()); }
    // The same for every node, so equal nodes always hash alike.
    std::size_t hash() const;
    // A wrapper of the same class owning a recursive copy; null without record.
    DOMXMLNodePtr copy() const;

protected:
    friend class DOMXMLDocument;

    // Wrapper of a record of tree (borrowing from it); element records get
    // a DOMXMLElement.
    static DOMXMLNodePtr wrap(xmlNodePtr record, const std::shared_ptr<DOMXMLTree>& tree);
    static DOMXMLNodePtr consume(xmlNodePtr record);

    static bool isNamespaceRecord(const xmlNode* record);
    // The namespace of an element or attribute record; null for any other.
    static xmlNsPtr namespaceOf(const xmlNode* record);
    static QString stringFromUTF8(const xmlChar* text);
    static QByteArray utf8(const QString& text);

    QString stringFromXMLString(const xmlChar* text) const;
    void releaseCachedValues();
    DOMXMLNodeList attributeWrappers() const;
    // Unlinks every child of the record into the tree's retired records.
    void retireChildren();
    void retireNode(xmlNodePtr node);
    void retireNamespace(xmlNsPtr ns);

    xmlNodePtr record_ = nullptr;
    std::shared_ptr<DOMXMLTree> tree_;
    mutable std::optional<QString> cachedName_;
    mutable std::optional<DOMXMLNodeList> cachedChildren_;
    mutable std::optional<DOMXMLNodeList> cachedAttributes_;
};
