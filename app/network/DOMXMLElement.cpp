#include "DOMXMLElement.h"

#include "DOMXMLTree.h"

#include <libxml/parser.h>

#include <cstring>

namespace {

const xmlChar* xmlBytes(const QByteArray& bytes)
{
    return reinterpret_cast<const xmlChar*>(bytes.constData());
}

// xmlNodeSetName frees the old name before copying the new one, so the new
// name must not point into the old.
void renameRecord(xmlNodePtr node, const QByteArray& name)
{
    const QByteArray copy(name.constData(), name.size());
    xmlNodeSetName(node, xmlBytes(copy));
}

bool isGraftable(xmlNodePtr node)
{
    return node && (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE);
}

} // namespace

DOMXMLElement::DOMXMLElement(Token token, xmlNodePtr record, std::shared_ptr<DOMXMLTree> tree)
    : DOMXMLNode(token, record, std::move(tree))
{
}

DOMXMLElementPtr DOMXMLElement::initWithXMLString(const QString& string, VNError* error)
{
    const QByteArray bytes = utf8(string);
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), static_cast<int>(std::strlen(bytes.constData())), nullptr,
        nullptr, ParseOptions);
    xmlNodePtr root = doc ? xmlDocGetRootElement(doc) : nullptr;
    // A copy made without document owns all its names and namespaces.
    xmlNodePtr copy = root ? xmlCopyNode(root, 1) : nullptr;
    if (doc)
        xmlFreeDoc(doc);
    if (!copy) {
        VNError::report(error, VNError::make(QString::fromLatin1(DOMXMLErrorDomain), -1));
        return nullptr;
    }
    return std::static_pointer_cast<DOMXMLElement>(consume(copy));
}

// --- namespaces -----------------------------------------------------------------

DOMXMLNodeList DOMXMLElement::namespaces() const
{
    DOMXMLNodeList list;
    if (!record_ || record_->type != XML_ELEMENT_NODE)
        return list;
    for (xmlNsPtr ns = record_->nsDef; ns; ns = ns->next) {
        if (ns->prefix && xmlStrEqual(ns->prefix, reinterpret_cast<const xmlChar*>("xml")))
            continue;
        list.append(wrap(reinterpret_cast<xmlNodePtr>(ns), tree_));
    }
    return list;
}

void DOMXMLElement::declareNamespace(const DOMXMLNodePtr& aNamespace)
{
    if (!aNamespace || !isNamespaceRecord(aNamespace->XMLNode()))
        return;
    const auto* ns = reinterpret_cast<const xmlNs*>(aNamespace->XMLNode());
    xmlNewNs(record_, ns->href, ns->prefix);
}

void DOMXMLElement::setNamespaces(const DOMXMLNodeList& namespaces)
{
    releaseCachedValues();
    if (!record_ || record_->type != XML_ELEMENT_NODE)
        return;
    xmlNsPtr old = record_->nsDef;
    record_->nsDef = nullptr;
    for (const DOMXMLNodePtr& aNamespace : namespaces)
        declareNamespace(aNamespace);

    // Elements and attributes below may use a dropped declaration; where the
    // same prefix is still bound to the same URI they move over to that
    // binding. The dropped records stay allocated for the others.
    NamespaceSubstitutionMap map;
    for (xmlNsPtr ns = old; ns; ns = ns->next) {
        xmlNsPtr replacement = xmlSearchNs(record_->doc, record_, ns->prefix);
        if (replacement && replacement != ns && xmlStrEqual(replacement->href, ns->href))
            map.insert(ns, replacement);
    }
    fixUp(record_, record_, map, tree_.get());
    while (old) {
        xmlNsPtr next = old->next;
        retireNamespace(old);
        old = next;
    }
}

void DOMXMLElement::addNamespace(const DOMXMLNodePtr& aNamespace)
{
    releaseCachedValues();
    if (!record_ || record_->type != XML_ELEMENT_NODE)
        return;
    declareNamespace(aNamespace);
    NamespaceSubstitutionMap map;
    fixUp(record_, record_, map, tree_.get());
}

QString DOMXMLElement::resolvePrefixForNamespaceURI(const QString& URI) const
{
    if (!record_ || URI.isNull())
        return QString();
    const QByteArray href = utf8(URI);
    xmlNsPtr ns = xmlSearchNsByHref(record_->doc, record_, xmlBytes(href));
    if (!ns)
        return QString();
    return ns->prefix ? stringFromUTF8(ns->prefix) : QStringLiteral("");
}

// --- children -----------------------------------------------------------------

void DOMXMLElement::addChild(const DOMXMLNodePtr& child)
{
    if (!child || !child->XMLNode() || !record_)
        return;
    xmlNodePtr source = child->XMLNode();
    if (source->type == XML_ATTRIBUTE_NODE) {
        addAttribute(child);
        return;
    }
    switch (source->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE:
        break;
    default:
        return;
    }
    releaseCachedValues();
    xmlNodePtr copy = xmlCopyNode(source, 1);
    if (!copy)
        return;
    // A text copy may be merged into a text neighbour (and freed): go on
    // with the record that xmlAddChild hands back.
    xmlNodePtr added = xmlAddChild(record_, copy);
    if (!added) {
        xmlFreeNode(copy);
        return;
    }
    NamespaceSubstitutionMap map;
    fixUp(added, record_, map, tree_.get());
}

void DOMXMLElement::removeChild(const DOMXMLNodePtr& child)
{
    releaseCachedValues();
    if (!child || !record_)
        return;
    xmlNodePtr node = child->XMLNode();
    // Only what hangs below this element: unlinking a record of another
    // tree here would leave that tree's owner unaware of it.
    if (!node || isNamespaceRecord(node) || node->parent != record_)
        return;
    xmlUnlinkNode(node);
    // Other wrappers may still point into the removed subtree; it is freed
    // with the tree.
    retireNode(node);
}

DOMXMLNodeList DOMXMLElement::elementsForName(const QString& name) const
{
    DOMXMLNodeList list;
    if (!record_ || name.isNull())
        return list;
    const QString namePrefix = prefixForName(name);
    if (!namePrefix.isNull()) {
        const QByteArray prefixBytes = utf8(namePrefix);
        if (xmlNsPtr ns = xmlSearchNs(record_->doc, record_, xmlBytes(prefixBytes)))
            return elementsForLocalName(localNameForName(name), stringFromUTF8(ns->href));
    }
    for (xmlNodePtr child = record_->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || child->parent != record_)
            continue;
        DOMXMLNodePtr wrapper = wrap(child, tree_);
        if (wrapper->name() == name)
            list.append(wrapper);
    }
    return list;
}

DOMXMLNodeList DOMXMLElement::elementsForLocalName(const QString& localName, const QString& URI) const
{
    DOMXMLNodeList list;
    if (!record_ || !record_->children)
        return list;
    const QByteArray href = utf8(URI);
    const QByteArray local = utf8(localName);
    const QByteArray braced = QStringLiteral("{%1}:%2").arg(URI, localName).toUtf8();
    xmlNsPtr ns = xmlSearchNsByHref(record_->doc, record_, xmlBytes(href));
    const QByteArray& matchName = ns ? local : braced;

    for (xmlNodePtr child = record_->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE || child->parent != record_)
            continue;
        bool matches;
        xmlNsPtr childScope = child->nsDef ? xmlSearchNsByHref(child->doc, child, xmlBytes(href)) : ns;
        if (childScope != ns) {
            if (childScope)
                matches = child->ns == childScope && xmlStrEqual(child->name, xmlBytes(local));
            else
                matches = !child->ns && xmlStrEqual(child->name, xmlBytes(braced));
        } else {
            matches = child->ns == ns && xmlStrEqual(child->name, xmlBytes(matchName));
        }
        if (matches)
            list.append(wrap(child, tree_));
    }
    return list;
}

// --- attributes -----------------------------------------------------------------

DOMXMLNodeList DOMXMLElement::attributes() const
{
    return attributeWrappers();
}

void DOMXMLElement::addAttribute(const DOMXMLNodePtr& attribute)
{
    releaseCachedValues();
    if (!attribute || !record_ || record_->type != XML_ELEMENT_NODE)
        return;
    xmlNodePtr source = attribute->XMLNode();
    if (!source || source->type != XML_ATTRIBUTE_NODE)
        return;
    const auto* attr = reinterpret_cast<const xmlAttr*>(source);
    const xmlNs* attrNs = attr->ns;
    const bool exists = attrNs ? xmlHasNsProp(record_, attr->name, attrNs->href) != nullptr
                               : xmlHasProp(record_, attr->name) != nullptr;
    if (exists)
        return;
    xmlNsPtr ns = nullptr;
    if (attrNs) {
        ns = xmlSearchNsByHref(record_->doc, record_, attrNs->href);
        if (!ns)
            ns = xmlNewNs(record_, attrNs->href, attrNs->prefix);
    }
    xmlChar* content = xmlNodeGetContent(source);
    xmlAttrPtr added = xmlNewNsProp(record_, ns, attr->name, content);
    if (added) {
        NamespaceSubstitutionMap map;
        fixUp(reinterpret_cast<xmlNodePtr>(added), record_, map, tree_.get());
    }
    xmlFree(content);
}

DOMXMLNodePtr DOMXMLElement::attributeForXMLNode(const xmlAttr* attribute) const
{
    if (!attribute)
        return nullptr;
    for (const DOMXMLNodePtr& candidate : attributes()) {
        if (candidate->XMLNode() == reinterpret_cast<const xmlNode*>(attribute))
            return candidate;
    }
    return nullptr;
}

DOMXMLNodePtr DOMXMLElement::attributeForName(const QString& name) const
{
    if (!record_ || name.isNull())
        return nullptr;
    const QByteArray full = utf8(name);
    // An attribute without namespace first: xmlHasProp alone would take a
    // prefixed attribute of the same local name that happens to come first.
    xmlAttrPtr found = xmlHasNsProp(record_, xmlBytes(full), nullptr);
    if (!found)
        found = xmlHasProp(record_, xmlBytes(full));
    if (!found) {
        const QString namePrefix = prefixForName(name);
        if (!namePrefix.isNull()) {
            const QByteArray prefixBytes = utf8(namePrefix);
            const QByteArray local = utf8(localNameForName(name));
            xmlNsPtr ns = xmlSearchNs(record_->doc, record_, xmlBytes(prefixBytes));
            found = xmlHasNsProp(record_, xmlBytes(local), ns ? ns->href : nullptr);
        }
    }
    return attributeForXMLNode(found);
}

DOMXMLNodePtr DOMXMLElement::attributeForLocalName(const QString& localName, const QString& URI) const
{
    if (!record_)
        return nullptr;
    const QByteArray local = utf8(localName);
    const QByteArray href = utf8(URI);
    xmlAttrPtr found = xmlHasNsProp(record_, xmlBytes(local), URI.isNull() ? nullptr : xmlBytes(href));
    if (!found) {
        const QByteArray braced = QStringLiteral("{%1}:%2").arg(URI, localName).toUtf8();
        found = xmlHasProp(record_, xmlBytes(braced));
    }
    return attributeForXMLNode(found);
}

// --- namespace fix-up -----------------------------------------------------------------

void DOMXMLElement::fixUpNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint)
{
    NamespaceSubstitutionMap map;
    fixUp(node, graftPoint, map, nullptr);
}

void DOMXMLElement::fixUpNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map)
{
    fixUp(node, graftPoint, map, nullptr);
}

void DOMXMLElement::fixUp(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map, DOMXMLTree* tree)
{
    if (!isGraftable(node) || !graftPoint)
        return;
    fixQualifiedNamesForNode(node, graftPoint);
    fixDuplicates(node, graftPoint, map, tree);
    if (node->type != XML_ELEMENT_NODE)
        return;
    for (xmlNodePtr child = node->children; child; child = child->next)
        fixUp(child, graftPoint, map, tree);
    for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next)
        fixUp(reinterpret_cast<xmlNodePtr>(attribute), graftPoint, map, tree);
}

void DOMXMLElement::fixQualifiedNamesForNode(xmlNodePtr node, xmlNodePtr graftPoint)
{
    if (!isGraftable(node) || !graftPoint || isNamespaceRecord(graftPoint) || node->ns || !node->name)
        return;
    const QByteArray name(reinterpret_cast<const char*>(node->name));
    const qsizetype colon = name.lastIndexOf(':');
    if (colon >= 0 && colon == name.size() - 1)
        return;
    QByteArray prefixPart;
    QByteArray localPart = name;
    if (colon >= 0) {
        prefixPart = name.left(colon);
        localPart = name.mid(colon + 1);
    }
    xmlDocPtr doc = graftPoint->doc;
    if (prefixPart.size() >= 3 && prefixPart.startsWith('{') && prefixPart.endsWith('}')) {
        const QByteArray href = prefixPart.mid(1, prefixPart.size() - 2);
        if (xmlNsPtr ns = xmlSearchNsByHref(doc, graftPoint, xmlBytes(href))) {
            node->ns = ns;
            renameRecord(node, localPart);
            return;
        }
    }
    // An unprefixed attribute is in no namespace: the default namespace
    // applies to elements only.
    if (prefixPart.isEmpty() && node->type == XML_ATTRIBUTE_NODE)
        return;
    xmlNsPtr ns = xmlSearchNs(doc, graftPoint, prefixPart.isEmpty() ? nullptr : xmlBytes(prefixPart));
    if (ns) {
        node->ns = ns;
        if (colon >= 0)
            renameRecord(node, localPart);
    }
}

void DOMXMLElement::fixDuplicateNamespacesForNode(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map)
{
    fixDuplicates(node, graftPoint, map, nullptr);
}

void DOMXMLElement::fixDuplicates(xmlNodePtr node, xmlNodePtr graftPoint, NamespaceSubstitutionMap& map, DOMXMLTree* tree)
{
    if (!isGraftable(node) || !graftPoint || isNamespaceRecord(graftPoint))
        return;
    if (node->type == XML_ELEMENT_NODE) {
        xmlNsPtr ns = node->nsDef;
        while (ns) {
            xmlNsPtr next = ns->next;
            xmlNsPtr found = xmlSearchNsByHref(graftPoint->doc, graftPoint, ns->href);
            if (found && found != ns && xmlStrEqual(found->prefix, ns->prefix)) {
                map.insert(ns, found);
                if (unlinkNamespace(ns, node)) {
                    if (tree)
                        tree->retireNamespace(ns);
                    else
                        xmlFreeNs(ns);
                }
            }
            ns = next;
        }
    }
    if (node->ns) {
        if (auto it = map.constFind(node->ns); it != map.constEnd())
            node->ns = it.value();
    }
}

bool DOMXMLElement::unlinkNamespace(xmlNsPtr ns, xmlNodePtr node)
{
    if (!ns || !node || node->type != XML_ELEMENT_NODE)
        return false;
    for (xmlNsPtr* link = &node->nsDef; *link; link = &(*link)->next) {
        if (*link == ns) {
            *link = ns->next;
            ns->next = nullptr;
            return true;
        }
    }
    return false;
}

void DOMXMLElement::deleteNamespacePtr(xmlNsPtr ns, xmlNodePtr node)
{
    if (unlinkNamespace(ns, node))
        xmlFreeNs(ns);
}
