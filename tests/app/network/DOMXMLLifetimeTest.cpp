// Wrappers never reach freed libxml2 memory, whatever is released or edited
// first. These tests earn their keep under AddressSanitizer.
#include "DOMXMLDocument.h"
#include "DOMXMLElement.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<DOMXMLDocument> parse(const char* text)
{
    return DOMXMLDocument::initWithData(QByteArray(text), 0);
}

DOMXMLElementPtr asElement(const DOMXMLNodePtr& node)
{
    return std::dynamic_pointer_cast<DOMXMLElement>(node);
}

} // namespace

TEST(DOMXMLLifetime, WrappersOutliveTheirDocument)
{
    DOMXMLNodeList found;
    DOMXMLElementPtr root;
    DOMXMLNodePtr attribute;
    {
        auto document = parse("<r xmlns:p='urn:p'><p:a k='v'>one</p:a><a>two</a></r>");
        root = document->rootElement();
        auto nodes = document->nodesForXPath("//*[local-name()='a']");
        ASSERT_TRUE(nodes);
        found = *nodes;
        attribute = asElement(found.first())->attributes().first();
    }
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0]->name(), "p:a");
    EXPECT_EQ(found[0]->URI(), "urn:p");
    EXPECT_EQ(found[1]->stringValue(), "two");
    EXPECT_EQ(attribute->stringValue(), "v");
    EXPECT_EQ(root->XMLString(), "<r xmlns:p=\"urn:p\"><p:a k=\"v\">one</p:a><a>two</a></r>");
    // Still editable, and a new document can be made from it.
    root->addChild(DOMXMLNode::elementWithName("p:b"));
    auto rebuilt = DOMXMLDocument::initWithRootElement(root);
    EXPECT_EQ(rebuilt->rootElement()->childCount(), 3);
}

TEST(DOMXMLLifetime, RemovedAndReplacedChildrenStayReadable)
{
    auto document = parse("<r><a><deep>x</deep></a><b>text<i>y</i></b></r>");
    DOMXMLElementPtr root = document->rootElement();
    DOMXMLNodePtr a = root->childAtIndex(0);
    DOMXMLNodePtr deep = a->childAtIndex(0);
    DOMXMLNodePtr b = root->childAtIndex(1);
    DOMXMLNodeList bChildren = b->children();

    root->removeChild(a);
    b->setStringValue("plain");       // replaces b's children
    root->setStringValue("all gone"); // replaces everything, b included
    document.reset();
    root.reset();

    EXPECT_EQ(deep->stringValue(), "x");
    EXPECT_EQ(a->XMLString(), "<a><deep>x</deep></a>");
    EXPECT_EQ(b->stringValue(), "plain");
    ASSERT_EQ(bChildren.size(), 2);
    EXPECT_EQ(bChildren[1]->XMLString(), "<i>y</i>");
    EXPECT_EQ(bChildren[1]->nodesForXPath("string(.)")->size(), 0);
}

TEST(DOMXMLLifetime, DroppedNamespaceDeclarationsStayReadable)
{
    auto document = parse("<r xmlns:p='urn:p' xmlns:q='urn:q'><p:a q:k='1'/></r>");
    DOMXMLElementPtr root = document->rootElement();
    const DOMXMLNodeList declared = root->namespaces();
    DOMXMLNodePtr child = root->childAtIndex(0);
    DOMXMLNodePtr attribute = asElement(child)->attributes().first();

    root->setNamespaces({});
    document.reset();
    root.reset();

    ASSERT_EQ(declared.size(), 2);
    EXPECT_EQ(declared[0]->stringValue(), "urn:p");
    EXPECT_EQ(child->URI(), "urn:p");
    EXPECT_EQ(attribute->URI(), "urn:q");
    EXPECT_FALSE(child->XMLString().isEmpty());
}

TEST(DOMXMLLifetime, NamespaceNodesFromXPathOutliveTheQuery)
{
    auto document = parse("<r xmlns:p='urn:p' xmlns='urn:d'><a/></r>");
    auto namespaces = document->nodesForXPath("/*/namespace::*");
    ASSERT_TRUE(namespaces);
    QStringList seen;
    for (const DOMXMLNodePtr& ns : *namespaces)
        seen << ns->name() + "=" + ns->stringValue();
    seen.sort();
    EXPECT_EQ(seen, QStringList({ "=urn:d", "p=urn:p", "xml=http://www.w3.org/XML/1998/namespace" }));
    document.reset();
    for (const DOMXMLNodePtr& ns : *namespaces)
        EXPECT_EQ(ns->kind(), DOMXMLNode::NamespaceKind);
}

TEST(DOMXMLLifetime, CopiesOutliveTheirSource)
{
    DOMXMLNodePtr attributeCopy;
    DOMXMLNodePtr elementCopy;
    {
        auto document = parse("<r xmlns:p='urn:p'><p:a p:k='value'>text</p:a></r>");
        DOMXMLElementPtr a = asElement(document->rootElement()->childAtIndex(0));
        attributeCopy = a->attributes().first()->copy();
        elementCopy = a->copy();
    }
    ASSERT_NE(attributeCopy, nullptr);
    EXPECT_EQ(attributeCopy->stringValue(), "value");
    EXPECT_EQ(attributeCopy->localName(), "k");
    EXPECT_EQ(elementCopy->XMLString(), "<p:a xmlns:p=\"urn:p\" p:k=\"value\">text</p:a>");
    // Grafting a copy into a fresh tree keeps both usable.
    DOMXMLElementPtr holder = DOMXMLNode::elementWithName("holder");
    holder->addChild(attributeCopy);
    holder->addChild(elementCopy);
    elementCopy.reset();
    attributeCopy.reset();
    EXPECT_EQ(holder->XMLString(), "<holder k=\"value\"><p:a xmlns:p=\"urn:p\" p:k=\"value\">text</p:a></holder>");
}

TEST(DOMXMLLifetime, ChildrenOfFactoryTreeKeepItAlive)
{
    DOMXMLNodePtr child;
    {
        DOMXMLElementPtr root = DOMXMLNode::elementWithName("root");
        root->addChild(DOMXMLNode::elementWithName("child", "v"));
        child = root->childAtIndex(0);
    }
    EXPECT_EQ(child->stringValue(), "v");
    auto self = child->nodesForXPath("self::child");
    ASSERT_TRUE(self);
    EXPECT_EQ(self->size(), 1);
}

TEST(DOMXMLLifetime, ReleasedOwnershipIsTheCallers)
{
    DOMXMLElementPtr element = DOMXMLNode::elementWithName("e");
    xmlNodePtr record = element->XMLNode();
    element->setShouldFreeXMLNode(false);
    EXPECT_FALSE(element->shouldFreeXMLNode());
    element.reset();
    xmlFreeNode(record); // no double free: the wrapper let go

    xmlNodePtr raw = xmlNewNode(nullptr, reinterpret_cast<const xmlChar*>("raw"));
    DOMXMLNodePtr borrowed = DOMXMLNode::nodeBorrowingXMLNode(raw);
    EXPECT_FALSE(borrowed->shouldFreeXMLNode());
    borrowed->setShouldFreeXMLNode(true); // adopted: freed with the wrapper
    EXPECT_TRUE(borrowed->shouldFreeXMLNode());
}
