#pragma once

#include "DOMXMLNode.h"

#include <QHash>

// The wrapper of an element record: parsing a lone element, its namespace
// declarations, attributes, children and searches among child elements.
// Every edit first drops this wrapper's cached name, children and
// attributes. Records an edit takes out of the tree stay allocated until
// the last wrapper of the tree is gone, so no wrapper is left dangling.
class DOMXMLElement : public DOMXMLNode {
public:
    DOMXMLElement(Token token, xmlNodePtr record, std::shared_ptr<DOMXMLTree> tree);

    // An owning copy of the root element of the parsed text; null and
    // *error (code -1) when the text has no root element.
    static DOMXMLElementPtr initWithXMLString(const QString& string, VNError* error = nullptr);

    const char* className() const override { return "DOMXMLElement"; }

    // Declared on this element, leaving out the "xml" prefix.
    DOMXMLNodeList namespaces() const;
    void setNamespaces(const DOMXMLNodeList& namespaces);
    void addNamespace(const DOMXMLNodePtr& aNamespace);

    // Appends a copy of child (an attribute goes to addAttribute); the
    // caller's wrapper stays independent of this tree. Nodes that cannot be
    // an element's child (documents, DTDs, namespaces...) are ignored.
    void addChild(const DOMXMLNodePtr& child);
    // Takes a child (or attribute) of this element out of the tree.
    void removeChild(const DOMXMLNodePtr& child);

    DOMXMLNodeList elementsForName(const QString& name) const;
    DOMXMLNodeList elementsForLocalName(const QString& localName, const QString& URI) const;

    DOMXMLNodeList attributes() const;
    void addAttribute(const DOMXMLNodePtr& attribute);
    DOMXMLNodePtr attributeForXMLNode(const xmlAttr* attribute) const;
    DOMXMLNodePtr attributeForName(const QString& name) const;
    DOMXMLNodePtr attributeForLocalName(const QString& localName, const QString& URI) const;
    // "" for a default namespace; null when the URI is not in scope.
    QString resolvePrefixForNamespaceURI(const QString& URI) const;

    // Namespace fix-up after grafting node (a copy) below graftPoint: names
    // of the "prefix:local" and "{URI}:local" forms get the namespace in
    // scope, and declarations that duplicate one in scope are dropped. These
    // raw forms free dropped declarations at once.
    using NamespaceSubstitutionMap = QHash<xmlNsPtr, xmlNsPtr>;
    static void fixUpNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint);
    static void fixUpNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map);
    static void fixQualifiedNamesForNode(xmlNodePtr node, xmlNodePtr graftPoint);
    static void fixDuplicateNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map);
    static void deleteNamespacePtr(xmlNsPtr ns, xmlNodePtr node);

private:
    static void fixUp(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map, DOMXMLTree* tree);
    static void fixDuplicates(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map, DOMXMLTree* tree);
    static bool unlinkNamespace(xmlNsPtr ns, xmlNodePtr node);
    void declareNamespace(const DOMXMLNodePtr& aNamespace);
};
