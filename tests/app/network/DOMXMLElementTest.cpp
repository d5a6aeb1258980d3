// Editing elements, searching children and attributes, namespace fix-up.
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

QStringList values(const DOMXMLNodeList& nodes)
{
    QStringList result;
    for (const DOMXMLNodePtr& node : nodes)
        result << node->stringValue();
    return result;
}

} // namespace

TEST(DOMXMLElement, InitWithXMLString)
{
    VNError error;
    DOMXMLElementPtr element = DOMXMLElement::initWithXMLString("<a k='v'><b>1</b>\n  <b>2</b></a>", &error);
    ASSERT_NE(element, nullptr);
    EXPECT_TRUE(element->shouldFreeXMLNode());
    EXPECT_EQ(element->XMLNode()->doc, nullptr);
    EXPECT_EQ(element->childCount(), 2);
    EXPECT_EQ(element->XMLString(), "<a k=\"v\"><b>1</b><b>2</b></a>");

    for (const char* text : { "", "<a>", "text" }) {
        VNError failure;
        EXPECT_EQ(DOMXMLElement::initWithXMLString(text, &failure), nullptr);
        EXPECT_EQ(failure.code, -1);
        EXPECT_EQ(failure.domain, QString::fromLatin1(DOMXMLErrorDomain));
    }
}

TEST(DOMXMLElement, SearchingChildElements)
{
    auto document = parse("<r xmlns:p='urn:p' xmlns:q='urn:p'>text<p:a>1</p:a><a>2</a><q:a>3</q:a>"
                          "<a xmlns='urn:p'>4</a><p:b>5</p:b><s xmlns:p='urn:other'/></r>");
    DOMXMLElementPtr root = document->rootElement();

    struct Case {
        const char* name;
        QStringList expected;
    };
    const Case byName[] = {
        { "a", { "2", "4" } },
        // p resolves: the search goes by namespace record. q:a has a record
        // of its own; the fourth declares its namespace itself.
        { "p:a", { "1", "4" } },
        { "p:b", { "5" } },
        { "text", {} },          // text nodes are no elements
        { "z:a", {} },
    };
    for (const Case& c : byName) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(values(root->elementsForName(c.name)), c.expected);
    }

    EXPECT_EQ(values(root->elementsForLocalName("a", "urn:p")), QStringList({ "1", "4" }));
    EXPECT_TRUE(root->elementsForLocalName("a", "urn:none").isEmpty());
    EXPECT_TRUE(asElement(root->elementsForName("s").first())->elementsForName("x").isEmpty());
}

TEST(DOMXMLElement, Attributes)
{
    auto document = parse("<r xmlns:p='urn:p' xmlns='urn:d' p:k='1' k='2' other='3'/>");
    DOMXMLElementPtr root = document->rootElement();
    const DOMXMLNodeList attributes = root->attributes();
    ASSERT_EQ(attributes.size(), 3);

    struct Case {
        QString name;
        QString expected;
    };
    const Case cases[] = { { "k", "2" }, { "p:k", "1" }, { "other", "3" }, { "x", QString() },
        { "z:k", "2" } }; // an unknown prefix searches without namespace
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        DOMXMLNodePtr found = root->attributeForName(c.name);
        if (c.expected.isNull()) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->stringValue(), c.expected);
            // The wrapper is the one the attribute list hands out.
            EXPECT_TRUE(attributes.contains(found));
        }
    }
    EXPECT_EQ(root->attributeForLocalName("k", "urn:p")->stringValue(), "1");
    EXPECT_EQ(root->attributeForLocalName("k", "urn:d"), nullptr); // unprefixed attributes are in no namespace

    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:p"), "p");
    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:d"), "");
    EXPECT_FALSE(root->resolvePrefixForNamespaceURI("urn:d").isNull());
    EXPECT_TRUE(root->resolvePrefixForNamespaceURI("urn:none").isNull());
}

TEST(DOMXMLElement, AddingAttributes)
{
    auto document = parse("<r xmlns='urn:d' xmlns:p='urn:p' k='old'/>");
    DOMXMLElementPtr root = document->rootElement();

    root->addAttribute(DOMXMLNode::attributeWithName("k", "new")); // exists: nothing
    EXPECT_EQ(root->attributeForName("k")->stringValue(), "old");

    root->addAttribute(DOMXMLNode::attributeWithName("id", "7"));
    DOMXMLNodePtr id = root->attributeForName("id");
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(id->URI().isNull()); // the default namespace is not an attribute's

    root->addAttribute(DOMXMLNode::attributeWithNameURI("s", "urn:p", "v"));
    DOMXMLNodePtr spaced = root->attributeForLocalName("s", "urn:p");
    ASSERT_NE(spaced, nullptr);
    EXPECT_EQ(spaced->name(), "p:s");

    // An attribute from another tree brings its namespace along.
    auto other = parse("<o xmlns:n='urn:n' n:x='1'/>");
    root->addChild(other->rootElement()->attributes().first()); // addChild passes attributes on
    DOMXMLNodePtr moved = root->attributeForLocalName("x", "urn:n");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->name(), "n:x");
    EXPECT_EQ(root->resolvePrefixForNamespaceURI("urn:n"), "n");
    EXPECT_EQ(other->rootElement()->attributes().size(), 1);
}

TEST(DOMXMLElement, AddChildGraftsCopiesAndResolvesNamespaces)
{
    auto document = parse("<r xmlns='urn:d' xmlns:p='urn:p'/>");
    DOMXMLElementPtr root = document->rootElement();

    DOMXMLElementPtr plain = DOMXMLNode::elementWithName("plain");
    root->addChild(plain);
    root->addChild(DOMXMLNode::elementWithName("p:prefixed"));
    root->addChild(DOMXMLNode::elementWithNameURI("braced", "urn:p"));
    root->addChild(DOMXMLNode::elementWithNameURI("lost", "urn:unknown"));
    root->addChild(DOMXMLNode::textWithStringValue("t"));

    const DOMXMLNodeList children = root->children();
    ASSERT_EQ(children.size(), 5);
    struct Case {
        QString name, uri;
    };
    const Case expected[] = {
        { "plain", "urn:d" },
        { "p:prefixed", "urn:p" },
        { "p:braced", "urn:p" },
        { "{urn:unknown}:lost", QString() },
        { "text", QString() },
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(children[i]->name(), expected[i].name);
        EXPECT_EQ(children[i]->URI(), expected[i].uri);
    }
    // The caller's wrapper stays independent of the tree.
    EXPECT_EQ(plain->XMLNode()->parent, nullptr);
    EXPECT_TRUE(plain->URI().isNull());
    plain->setStringValue("changed");
    EXPECT_EQ(children[0]->stringValue(), "");
}

TEST(DOMXMLElement, AddChildDropsDuplicateDeclarations)
{
    auto document = parse("<r xmlns:p='urn:p'/>");
    DOMXMLElementPtr root = document->rootElement();
    DOMXMLElementPtr piece = DOMXMLElement::initWithXMLString("<p:x xmlns:p='urn:p'><p:y p:a='1'/></p:x>");
    root->addChild(piece);
    EXPECT_EQ(root->XMLString(), "<r xmlns:p=\"urn:p\"><p:x><p:y p:a=\"1\"/></p:x></r>");
    const DOMXMLNodeList found = root->elementsForLocalName("x", "urn:p");
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(asElement(found.first())->namespaces().isEmpty());
    EXPECT_EQ(asElement(found.first())->childAtIndex(0)->URI(), "urn:p");
}

TEST(DOMXMLElement, AddChildIgnoresNodesThatCannotBeChildren)
{
    auto document = parse("<r/>");
    DOMXMLElementPtr root = document->rootElement();
    auto documentNode = document->nodesForXPath("/");
    ASSERT_TRUE(documentNode && documentNode->size() == 1);
    root->addChild(documentNode->first());
    root->addChild(DOMXMLNode::namespaceWithName("p", "urn:p"));
    root->addChild(nullptr);
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_EQ(document->XMLString(), "<?xml version=\"1.0\"?>\n<r/>\n");
}

TEST(DOMXMLElement, RemoveChild)
{
    auto document = parse("<r><a>1</a><b k='v'>2</b><c>3</c></r>");
    DOMXMLElementPtr root = document->rootElement();
    DOMXMLNodePtr b = root->childAtIndex(1);
    root->removeChild(b);
    EXPECT_EQ(root->XMLString(), "<r><a>1</a><c>3</c></r>");
    // The removed wrapper still works on its own.
    EXPECT_EQ(b->XMLString(), "<b k=\"v\">2</b>");
    EXPECT_EQ(b->XMLNode()->parent, nullptr);

    // Nodes that are not children of this element stay where they are.
    auto other = parse("<o><x/></o>");
    root->removeChild(other->rootElement()->childAtIndex(0));
    root->removeChild(b);
    root->removeChild(DOMXMLNode::elementWithName("a"));
    EXPECT_EQ(other->rootElement()->childCount(), 1);
    EXPECT_EQ(root->childCount(), 2);

    asElement(b)->removeChild(asElement(b)->attributes().first());
    EXPECT_EQ(b->XMLString(), "<b>2</b>");
}

TEST(DOMXMLElement, NamespaceDeclarations)
{
    auto document = parse("<r xmlns:p='urn:p'><p:a/></r>");
    DOMXMLElementPtr root = document->rootElement();

    root->addNamespace(DOMXMLNode::namespaceWithName("q", "urn:q"));
    QStringList prefixes;
    for (const DOMXMLNodePtr& ns : root->namespaces())
        prefixes << ns->name();
    EXPECT_EQ(prefixes, QStringList({ "p", "q" }));

    // Redeclaring p for the same URI keeps p:a in its namespace.
    root->setNamespaces({ DOMXMLNode::namespaceWithName("p", "urn:p"), DOMXMLNode::namespaceWithName("", "urn:d") });
    EXPECT_EQ(root->XMLString(), "<r xmlns:p=\"urn:p\" xmlns=\"urn:d\"><p:a/></r>");
    EXPECT_EQ(root->childAtIndex(0)->URI(), "urn:p");

    // Dropping every declaration leaves the child's namespace record alive.
    DOMXMLNodePtr child = root->childAtIndex(0);
    root->setNamespaces({});
    EXPECT_TRUE(root->namespaces().isEmpty());
    EXPECT_EQ(child->URI(), "urn:p");
    EXPECT_EQ(child->name(), "p:a");
}

TEST(DOMXMLElement, EditingDropsCachedChildren)
{
    auto document = parse("<r><a/></r>");
    DOMXMLElementPtr root = document->rootElement();
    EXPECT_EQ(root->children().size(), 1);
    root->addChild(DOMXMLNode::elementWithName("b"));
    EXPECT_EQ(root->children().size(), 2);
    root->removeChild(root->childAtIndex(0));
    EXPECT_EQ(root->children().size(), 1);
    EXPECT_EQ(root->childAtIndex(0)->name(), "b");
}
