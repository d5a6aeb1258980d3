#include "DOMXMLNode.h"

#include "DOMXMLElement.h"
#include "DOMXMLTree.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <climits>
#include <cstring>

namespace {

// libxml2's parser is set up when the library is loaded, by the first call
// of any of its functions (platform/libraries), so that parsing from any
// thread finds it ready; start-up, which reads no XML, no longer loads it.

const xmlChar* xmlText(const QByteArray& bytes, const QString& source)
{
    return source.isNull() ? nullptr : reinterpret_cast<const xmlChar*>(bytes.constData());
}

QByteArray bracedName(const QString& URI, const QString& localName)
{
    return QStringLiteral("{%1}:%2").arg(URI, localName).toUtf8();
}

// XPath hands namespace nodes out as temporary copies freed with the
// result, and xmlNewNs refuses the "xml" prefix, so namespace records are
// copied field by field into a record of our own.
xmlNsPtr copyNamespaceRecord(const xmlNs* ns)
{
    auto* copy = static_cast<xmlNsPtr>(xmlMalloc(sizeof(xmlNs)));
    if (!copy)
        return nullptr;
    std::memset(copy, 0, sizeof(xmlNs));
    copy->type = XML_NAMESPACE_DECL;
    copy->href = ns->href ? xmlStrdup(ns->href) : nullptr;
    copy->prefix = ns->prefix ? xmlStrdup(ns->prefix) : nullptr;
    return copy;
}

void silentXPathError(void*, xmlErrorPtr)
{
}

// Children are the records whose parent link points back: an entity
// reference's child pointer leads to a declaration shared by the DTD, which
// is not a child of the reference.
xmlNodePtr firstChildOf(const xmlNode* record)
{
    if (!record || record->type == XML_NAMESPACE_DECL)
        return nullptr;
    return record->children;
}

} // namespace

DOMXMLNode::DOMXMLNode(Token, xmlNodePtr record, std::shared_ptr<DOMXMLTree> tree)
    : record_(record)
    , tree_(std::move(tree))
{
}

DOMXMLNode::~DOMXMLNode() = default;

// --- helpers -----------------------------------------------------------------

bool DOMXMLNode::isNamespaceRecord(const xmlNode* record)
{
    return record && record->type == XML_NAMESPACE_DECL;
}

xmlNsPtr DOMXMLNode::namespaceOf(const xmlNode* record)
{
    // Only elements and attributes carry the ns field; the other records
    // (documents, DTDs, declarations) have different fields at that place.
    if (!record || (record->type != XML_ELEMENT_NODE && record->type != XML_ATTRIBUTE_NODE))
        return nullptr;
    return record->ns;
}

QString DOMXMLNode::stringFromUTF8(const xmlChar* text)
{
    if (!text)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

QByteArray DOMXMLNode::utf8(const QString& text)
{
    return text.toUtf8();
}

QString DOMXMLNode::stringFromXMLString(const xmlChar* text) const
{
    if (!text)
        return QString();
    if (record_ && tree_ && tree_->hasStringCache() && record_->type >= XML_ELEMENT_NODE
        && record_->type <= XML_TEXT_NODE && record_->doc == tree_->document())
        return tree_->internedString(text);
    return stringFromUTF8(text);
}

DOMXMLNodePtr DOMXMLNode::wrap(xmlNodePtr record, const std::shared_ptr<DOMXMLTree>& tree)
{
    if (!record)
        return nullptr;
    if (record->type == XML_ELEMENT_NODE)
        return std::make_shared<DOMXMLElement>(Token{}, record, tree);
    return std::make_shared<DOMXMLNode>(Token{}, record, tree);
}

DOMXMLNodePtr DOMXMLNode::consume(xmlNodePtr record)
{
    if (!record)
        return nullptr;
    return wrap(record, DOMXMLTree::forRecord(record));
}

void DOMXMLNode::releaseCachedValues()
{
    cachedName_.reset();
    cachedChildren_.reset();
    cachedAttributes_.reset();
}

void DOMXMLNode::retireNode(xmlNodePtr node)
{
    if (tree_)
        tree_->retireNode(node);
    else
        xmlFreeNode(node);
}

void DOMXMLNode::retireNamespace(xmlNsPtr ns)
{
    if (tree_)
        tree_->retireNamespace(ns);
    else
        xmlFreeNs(ns);
}

void DOMXMLNode::retireChildren()
{
    while (xmlNodePtr child = record_->children) {
        if (child->parent != record_)
            break;
        xmlUnlinkNode(child);
        retireNode(child);
    }
}

// --- factories -----------------------------------------------------------------

DOMXMLElementPtr DOMXMLNode::elementWithName(const QString& name)
{
    const QByteArray bytes = utf8(name);
    return std::static_pointer_cast<DOMXMLElement>(consume(xmlNewNode(nullptr, xmlText(bytes, name))));
}

DOMXMLElementPtr DOMXMLNode::elementWithName(const QString& name, const QString& stringValue)
{
    const QByteArray nameBytes = utf8(name);
    const QByteArray valueBytes = utf8(stringValue);
    xmlNodePtr element = xmlNewNode(nullptr, xmlText(nameBytes, name));
    if (!element)
        return nullptr;
    xmlNodePtr text = xmlNewText(xmlText(valueBytes, stringValue));
    if (!text || !xmlAddChild(element, text)) {
        xmlFreeNode(text);
        xmlFreeNode(element);
        return nullptr;
    }
    return std::static_pointer_cast<DOMXMLElement>(consume(element));
}

DOMXMLElementPtr DOMXMLNode::elementWithNameURI(const QString& name, const QString& URI)
{
    const QByteArray raw = bracedName(URI, name);
    return std::static_pointer_cast<DOMXMLElement>(
        consume(xmlNewNode(nullptr, reinterpret_cast<const xmlChar*>(raw.constData()))));
}

DOMXMLNodePtr DOMXMLNode::attributeWithName(const QString& name, const QString& stringValue)
{
    const QByteArray nameBytes = utf8(name);
    const QByteArray valueBytes = utf8(stringValue);
    return consume(reinterpret_cast<xmlNodePtr>(
        xmlNewProp(nullptr, xmlText(nameBytes, name), xmlText(valueBytes, stringValue))));
}

DOMXMLNodePtr DOMXMLNode::attributeWithNameURI(const QString& name, const QString& URI, const QString& stringValue)
{
    const QByteArray raw = bracedName(URI, name);
    const QByteArray valueBytes = utf8(stringValue);
    return consume(reinterpret_cast<xmlNodePtr>(xmlNewProp(
        nullptr, reinterpret_cast<const xmlChar*>(raw.constData()), xmlText(valueBytes, stringValue))));
}

DOMXMLNodePtr DOMXMLNode::textWithStringValue(const QString& stringValue)
{
    const QByteArray bytes = utf8(stringValue);
    return consume(xmlNewText(xmlText(bytes, stringValue)));
}

DOMXMLNodePtr DOMXMLNode::namespaceWithName(const QString& name, const QString& stringValue)
{
    const QByteArray prefix = utf8(name);
    const QByteArray href = utf8(stringValue);
    const xmlChar* prefixText = name.isEmpty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.constData());
    return consume(reinterpret_cast<xmlNodePtr>(xmlNewNs(nullptr, xmlText(href, stringValue), prefixText)));
}

DOMXMLNodePtr DOMXMLNode::nodeConsumingXMLNode(xmlNodePtr record)
{
    return consume(record);
}

DOMXMLNodePtr DOMXMLNode::nodeBorrowingXMLNode(xmlNodePtr record)
{
    return wrap(record, nullptr);
}

// --- names -----------------------------------------------------------------

namespace {

// A name made by the URI factories, "{URI}:local", splits after the brace:
// URIs have colons of their own.
qsizetype bracedPrefixEnd(const QString& name)
{
    if (!name.startsWith(QLatin1Char('{')))
        return -1;
    return name.lastIndexOf(QLatin1String("}:"));
}

} // namespace

QString DOMXMLNode::localNameForName(const QString& name)
{
    if (name.isNull())
        return QString();
    if (qsizetype brace = bracedPrefixEnd(name); brace >= 0 && brace + 2 < name.size())
        return name.mid(brace + 2);
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon >= 0 && colon + 1 < name.size())
        return name.mid(colon + 1);
    return name;
}

QString DOMXMLNode::prefixForName(const QString& name)
{
    if (name.isNull())
        return QString();
    if (qsizetype brace = bracedPrefixEnd(name); brace >= 0)
        return name.left(brace + 1);
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return QString();
    return name.left(colon);
}

QString DOMXMLNode::name() const
{
    if (!cachedName_)
        cachedName_ = qualifiedName();
    return *cachedName_;
}

QString DOMXMLNode::qualifiedName() const
{
    if (!record_)
        return QString();
    if (isNamespaceRecord(record_)) {
        const auto* ns = reinterpret_cast<const xmlNs*>(record_);
        return ns->prefix ? stringFromUTF8(ns->prefix) : QStringLiteral("");
    }
    const xmlNs* ns = namespaceOf(record_);
    if (ns && ns->prefix && record_->name) {
        QByteArray qualified(reinterpret_cast<const char*>(ns->prefix));
        qualified += ':';
        qualified += reinterpret_cast<const char*>(record_->name);
        return stringFromXMLString(reinterpret_cast<const xmlChar*>(qualified.constData()));
    }
    return stringFromXMLString(record_->name);
}

QString DOMXMLNode::localName() const
{
    if (!record_)
        return QString();
    // A namespace node is named by its prefix alone.
    if (isNamespaceRecord(record_))
        return qualifiedName();
    return localNameForName(stringFromXMLString(record_->name));
}

QString DOMXMLNode::prefix() const
{
    if (!record_)
        return QString();
    const xmlNs* ns = namespaceOf(record_);
    if (ns && ns->prefix)
        return stringFromUTF8(ns->prefix);
    return QStringLiteral("");
}

QString DOMXMLNode::URI() const
{
    // A namespace node is in no namespace; its URI is its string value.
    const xmlNs* ns = namespaceOf(record_);
    return ns ? stringFromUTF8(ns->href) : QString();
}

// --- values -----------------------------------------------------------------

QString DOMXMLNode::stringValue() const
{
    if (!record_)
        return QString();
    if (isNamespaceRecord(record_))
        return stringFromUTF8(reinterpret_cast<const xmlNs*>(record_)->href);
    xmlChar* content = xmlNodeGetContent(record_);
    if (!content)
        return QString();
    QString value = stringFromXMLString(content);
    xmlFree(content);
    return value;
}

void DOMXMLNode::setStringValue(const QString& value)
{
    if (value.isNull() || !record_)
        return;
    const QByteArray bytes = utf8(value);
    const auto* text = reinterpret_cast<const xmlChar*>(bytes.constData());
    switch (record_->type) {
    case XML_NAMESPACE_DECL: {
        auto* ns = reinterpret_cast<xmlNsPtr>(record_);
        xmlFree(const_cast<xmlChar*>(ns->href));
        ns->href = xmlStrdup(text);
        break;
    }
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    {
        // libxml2 would free the old children in place; wrappers may still
        // point at them. The value is literal text: escaped, so that libxml2
        // does not read "&" or "<" in it as markup.
        releaseCachedValues();
        retireChildren();
        xmlChar* escaped = xmlEncodeSpecialChars(record_->doc, text);
        xmlNodeSetContent(record_, escaped);
        xmlFree(escaped);
        break;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        xmlNodeSetContent(record_, text);
        break;
    default:
        // Documents, DTDs, declarations and entity references hold
        // structure that a plain text must not replace.
        break;
    }
}

// --- children -----------------------------------------------------------------

qsizetype DOMXMLNode::childCount() const
{
    if (cachedChildren_)
        return cachedChildren_->size();
    qsizetype count = 0;
    for (xmlNodePtr child = firstChildOf(record_); child; child = child->next) {
        if (child->parent == record_)
            ++count;
    }
    return count;
}

DOMXMLNodeList DOMXMLNode::children() const
{
    if (!cachedChildren_) {
        DOMXMLNodeList list;
        for (xmlNodePtr child = firstChildOf(record_); child; child = child->next) {
            if (child->parent == record_)
                list.append(wrap(child, tree_));
        }
        cachedChildren_ = std::move(list);
    }
    return *cachedChildren_;
}

DOMXMLNodePtr DOMXMLNode::childAtIndex(qsizetype index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return children().value(index);
}

DOMXMLNodeList DOMXMLNode::attributeWrappers() const
{
    if (!cachedAttributes_) {
        DOMXMLNodeList list;
        if (record_ && record_->type == XML_ELEMENT_NODE) {
            for (xmlAttrPtr attribute = record_->properties; attribute; attribute = attribute->next)
                list.append(wrap(reinterpret_cast<xmlNodePtr>(attribute), tree_));
        }
        cachedAttributes_ = std::move(list);
    }
    return *cachedAttributes_;
}

// --- kind, text, copies -----------------------------------------------------------------

DOMXMLNode::Kind DOMXMLNode::kind() const
{
    if (!record_)
        return InvalidKind;
    switch (static_cast<int>(record_->type)) {
    case XML_DOCUMENT_NODE:
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DOCUMENT_FRAG_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case 21: // DocBook document, no longer named by libxml2
        return DocumentKind;
    case XML_ELEMENT_NODE:
        return ElementKind;
    case XML_ATTRIBUTE_NODE:
        return AttributeKind;
    case XML_NAMESPACE_DECL:
        return NamespaceKind;
    case XML_PI_NODE:
    case XML_XINCLUDE_START:
    case XML_XINCLUDE_END:
        return ProcessingInstructionKind;
    case XML_COMMENT_NODE:
        return CommentKind;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return TextKind;
    case XML_DTD_NODE:
        return DTDKind;
    case XML_ENTITY_REF_NODE:
    case XML_ENTITY_NODE:
    case XML_ENTITY_DECL:
        return EntityDeclarationKind;
    case XML_ATTRIBUTE_DECL:
        return AttributeDeclarationKind;
    case XML_ELEMENT_DECL:
        return ElementDeclarationKind;
    case XML_NOTATION_NODE:
        return NotationDeclarationKind;
    default:
        return InvalidKind;
    }
}

QString DOMXMLNode::XMLString() const
{
    if (!record_)
        return QString();
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        return QString();
    QString result;
    if (xmlNodeDump(buffer, nullptr, record_, 0, 0) >= 0) {
        const xmlChar* content = xmlBufferContent(buffer);
        result = QString::fromUtf8(reinterpret_cast<const char*>(content), xmlBufferLength(buffer)).trimmed();
    }
    xmlBufferFree(buffer);
    return result;
}

xmlNodePtr DOMXMLNode::XMLNodeCopy() const
{
    if (!record_)
        return nullptr;
    if (isNamespaceRecord(record_))
        return reinterpret_cast<xmlNodePtr>(copyNamespaceRecord(reinterpret_cast<const xmlNs*>(record_)));
    return xmlCopyNode(record_, 1);
}

bool DOMXMLNode::shouldFreeXMLNode() const
{
    return record_ && tree_ && tree_->root() == record_ && tree_->ownsRoot();
}

void DOMXMLNode::setShouldFreeXMLNode(bool shouldFree)
{
    if (!record_)
        return;
    if (tree_ && tree_->root() == record_) {
        if (shouldFree)
            tree_->adoptRoot();
        else
            tree_->releaseRoot();
        return;
    }
    // Only a record that no document or parent holds can be adopted.
    if (shouldFree && !tree_ && !isNamespaceRecord(record_) && !record_->parent && !record_->doc
        && record_->type != XML_DOCUMENT_NODE && record_->type != XML_HTML_DOCUMENT_NODE)
        tree_ = DOMXMLTree::forRecord(record_);
}

DOMXMLNodePtr DOMXMLNode::copy() const
{
    DOMXMLNodePtr result = consume(XMLNodeCopy());
    // An attribute copy keeps the source document and may share its
    // dictionary, so that document has to stay alive as long as the copy.
    if (result && result->tree_ && tree_)
        result->tree_->keepAlive(tree_);
    return result;
}

// --- XPath -----------------------------------------------------------------

std::optional<DOMXMLNodeList> DOMXMLNode::nodesForXPath(const QString& xpath, VNError* error) const
{
    return nodesForXPath(xpath, std::nullopt, error);
}

std::optional<DOMXMLNodeList> DOMXMLNode::nodesForXPath(const QString& xpath,
    const std::optional<QMap<QString, QString>>& namespaces, VNError* error) const
{
    xmlDocPtr doc = nullptr;
    xmlDocPtr temporary = nullptr;
    xmlNodePtr top = nullptr;
    if (record_ && !isNamespaceRecord(record_)) {
        doc = record_->doc;
        if (!doc) {
            // A tree made by the factories: evaluate it in a document of its
            // own that is taken down again afterwards. Only an element can
            // stand as a document's root.
            top = record_;
            while (top->parent)
                top = top->parent;
            if (top->type == XML_ELEMENT_NODE) {
                temporary = xmlNewDoc(nullptr);
                if (temporary) {
                    xmlDocSetRootElement(temporary, top);
                    doc = temporary;
                }
            }
        }
    }
    if (!record_ || !doc) {
        VNError failure = VNError::make(QString::fromLatin1(DOMXMLErrorDomain), -1);
        failure.userInfo.insert(QStringLiteral("error"), QStringLiteral("invalid node"));
        VNError::report(error, failure);
        return std::nullopt;
    }

    auto takeDown = [&] {
        if (temporary) {
            xmlUnlinkNode(top);
            xmlSetTreeDoc(top, nullptr);
            xmlFreeDoc(temporary);
        }
    };

    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    if (!context) {
        takeDown();
        VNError::report(error, VNError::make(QString::fromLatin1(DOMXMLErrorDomain), -1));
        return std::nullopt;
    }
    context->node = record_;
    context->error = silentXPathError;

    if (namespaces) {
        for (auto it = namespaces->cbegin(); it != namespaces->cend(); ++it) {
            const QByteArray prefix = utf8(it.key());
            const QByteArray href = utf8(it.value());
            xmlXPathRegisterNs(context, reinterpret_cast<const xmlChar*>(prefix.constData()),
                reinterpret_cast<const xmlChar*>(href.constData()));
        }
    } else {
        xmlNodePtr declaring = record_;
        if (record_->type == XML_DOCUMENT_NODE || record_->type == XML_HTML_DOCUMENT_NODE)
            declaring = xmlDocGetRootElement(reinterpret_cast<xmlDocPtr>(record_));
        if (declaring && declaring->type == XML_ELEMENT_NODE) {
            for (xmlNsPtr ns = declaring->nsDef; ns; ns = ns->next) {
                const xmlChar* prefix = ns->prefix ? ns->prefix : reinterpret_cast<const xmlChar*>("_def_ns");
                xmlXPathRegisterNs(context, prefix, ns->href);
            }
        }
    }

    const QByteArray expression = utf8(xpath);
    xmlXPathObjectPtr result = xmlXPathEval(reinterpret_cast<const xmlChar*>(expression.constData()), context);
    std::optional<DOMXMLNodeList> nodes;
    if (result) {
        DOMXMLNodeList list;
        if (result->type == XPATH_NODESET && result->nodesetval) {
            for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
                xmlNodePtr node = result->nodesetval->nodeTab[i];
                // The temporary document is gone once this call returns.
                if (!node || node == reinterpret_cast<xmlNodePtr>(temporary))
                    continue;
                if (node->type == XML_NAMESPACE_DECL) {
                    // Namespace nodes of a result are freed with it.
                    if (DOMXMLNodePtr copy = consume(reinterpret_cast<xmlNodePtr>(
                            copyNamespaceRecord(reinterpret_cast<xmlNsPtr>(node)))))
                        list.append(copy);
                    continue;
                }
                list.append(wrap(node, tree_));
            }
        }
        xmlXPathFreeObject(result);
        nodes = std::move(list);
    } else {
        const xmlError& last = context->lastError;
        VNError failure = VNError::make(QString::fromLatin1(DOMXMLErrorDomain), last.code != 0 ? last.code : -1);
        if (last.str1)
            failure.userInfo.insert(QStringLiteral("error"), QString::fromUtf8(last.str1));
        VNError::report(error, failure);
    }
    xmlXPathFreeContext(context);
    takeDown();
    return nodes;
}

// --- identity -----------------------------------------------------------------

QString DOMXMLNode::description() const
{
    const int type = record_ ? static_cast<int>(record_->type) : -1;
    const QString nodeName = name();
    const QString xml = XMLString();
    return QStringLiteral("%1 %2: {type:%3 name:%4 xml:\"%5\"}")
        .arg(QString::fromLatin1(className()), QString::asprintf("%p", static_cast<const void*>(this)))
        .arg(type)
        .arg(nodeName.isNull() ? QStringLiteral("(null)") : nodeName,
            xml.isNull() ? QStringLiteral("(null)") : xml);
}

bool DOMXMLNode::isEqual(const DOMXMLNode* other) const
{
    if (!other)
        return false;
    if (other == this)
        return true;
    if (record_ && record_ == other->record_)
        return true;
    return kind() == other->kind() && name() == other->name() && childCount() == other->childCount();
}

std::size_t DOMXMLNode::hash() const
{
    return 0x444f4d584d4cULL; // one value for every node
}
