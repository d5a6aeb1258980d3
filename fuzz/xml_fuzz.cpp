// Parses XML and runs XPath over it, then walks, edits, copies and
// serialises what it finds, reading wrappers again after their document is
// gone. Input: the first line is the XPath expression, the rest the XML
// (without a line break, the whole input is XML and fixed paths are used).
#include "DOMXMLDocument.h"
#include "DOMXMLElement.h"

#include <libxml/xmlerror.h>

#include <cstddef>
#include <cstdint>

namespace {

void silent(void*, const char*, ...)
{
}

struct Budget {
    int nodes = 400;
};

void touch(const DOMXMLNodePtr& node, Budget& budget, int depth)
{
    if (!node || budget.nodes-- <= 0)
        return;
    (void)node->name();
    (void)node->localName();
    (void)node->prefix();
    (void)node->URI();
    (void)node->kind();
    (void)node->stringValue();
    (void)node->XMLString();
    (void)node->description();
    (void)node->childAtIndex(node->childCount() - 1);
    if (auto element = std::dynamic_pointer_cast<DOMXMLElement>(node)) {
        const DOMXMLNodeList attributes = element->attributes();
        for (const DOMXMLNodePtr& attribute : attributes) {
            (void)element->attributeForName(attribute->name());
            (void)element->attributeForLocalName(attribute->localName(), attribute->URI());
            touch(attribute, budget, depth + 1);
        }
        for (const DOMXMLNodePtr& ns : element->namespaces()) {
            (void)element->resolvePrefixForNamespaceURI(ns->stringValue());
            touch(ns, budget, depth + 1);
        }
        if (DOMXMLNodePtr first = element->childAtIndex(0)) {
            (void)element->elementsForName(first->name());
            (void)element->elementsForLocalName(first->localName(), first->URI());
        }
    }
    if (depth < 12) {
        for (const DOMXMLNodePtr& child : node->children())
            touch(child, budget, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        xmlSetGenericErrorFunc(nullptr, silent);
        return true;
    }();
    (void)quiet;

    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype lineEnd = input.indexOf('\n');
    QStringList paths;
    QByteArray xml = input;
    if (lineEnd >= 0 && lineEnd < 512) {
        paths << QString::fromUtf8(input.left(lineEnd));
        xml = input.mid(lineEnd + 1);
    } else {
        paths << "//*" << "//@*" << "//namespace::*" << "/" << "//text()" << "//_def_ns:*";
    }

    DOMXMLNodeList kept;
    Budget budget;
    {
        auto document = DOMXMLDocument::initWithData(xml, 0);
        if (document) {
            const QMap<QString, QString> map { { "p", "urn:p" }, { "_def_ns", "urn:d" } };
            for (const QString& path : paths) {
                VNError error;
                if (auto found = document->nodesForXPath(path, &error))
                    kept += found->mid(0, 32);
                if (auto found = document->nodesForXPath(path, map, &error))
                    kept += found->mid(0, 8);
            }
            for (const DOMXMLNodePtr& node : kept)
                touch(node, budget, 0);

            if (DOMXMLElementPtr root = document->rootElement()) {
                touch(root, budget, 0);
                if (!kept.isEmpty()) {
                    DOMXMLNodePtr copy = kept.first()->copy();
                    if (copy) {
                        (void)copy->nodesForXPath(paths.first());
                        touch(copy, budget, 0);
                    }
                    root->addChild(kept.first());
                    root->addChild(kept.last());
                    if (auto element = std::dynamic_pointer_cast<DOMXMLElement>(kept.last()))
                        element->addChild(DOMXMLNode::elementWithName("p:added", "v"));
                }
                root->removeChild(root->childAtIndex(0));
                if (kept.size() > 1)
                    kept[1]->setStringValue("replaced & <text>");
                root->setNamespaces(root->namespaces().mid(1));
                root->addNamespace(DOMXMLNode::namespaceWithName("p", "urn:p"));
                auto rebuilt = DOMXMLDocument::initWithRootElement(root);
                (void)rebuilt->XMLData();
            }
            (void)document->XMLData();
        }
    }
    // The document object is gone; its wrappers must still be sound.
    for (const DOMXMLNodePtr& node : kept)
        touch(node, budget, 0);

    VNError error;
    if (DOMXMLElementPtr element = DOMXMLElement::initWithXMLString(QString::fromUtf8(xml), &error)) {
        for (const QString& path : paths) {
            if (auto found = element->nodesForXPath(path, &error)) {
                for (const DOMXMLNodePtr& node : found->mid(0, 8))
                    touch(node, budget, 0);
            }
        }
        (void)element->XMLString();
    }
    return 0;
}
