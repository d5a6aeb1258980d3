// Names, kinds, values, factories and identity of XML nodes.
#include "DOMXMLDocument.h"
#include "DOMXMLElement.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const char* const Sample = "<r xmlns:p='urn:p' xmlns='urn:d'>"
                           "<p:a p:at='1' b='2'>t<!--c--><?pi data?><![CDATA[cd]]></p:a><c/></r>";

struct Fixture {
    std::unique_ptr<DOMXMLDocument> document = DOMXMLDocument::initWithData(Sample, 0);
    DOMXMLElementPtr root = document->rootElement();
    DOMXMLElementPtr a = std::static_pointer_cast<DOMXMLElement>(root->childAtIndex(0));
    DOMXMLNodePtr c = root->childAtIndex(1);
};

} // namespace

TEST(DOMXMLNode, NameSplittingTable)
{
    struct Case {
        QString name, local, prefix;
    };
    const Case cases[] = {
        { "p:x", "x", "p" },
        { "x", "x", QString() },
        { "p:", "p:", "p" },
        { ":x", "x", "" },
        { "a:b:c", "b:c", "a" },
        { "{http://a.b/c}:x", "x", "{http://a.b/c}" },
        { QString(), QString(), QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(DOMXMLNode::localNameForName(c.name), c.local);
        EXPECT_EQ(DOMXMLNode::localNameForName(c.name).isNull(), c.local.isNull());
        EXPECT_EQ(DOMXMLNode::prefixForName(c.name), c.prefix);
        EXPECT_EQ(DOMXMLNode::prefixForName(c.name).isNull(), c.prefix.isNull());
    }
}

TEST(DOMXMLNode, NamesOfParsedNodes)
{
    Fixture f;
    ASSERT_NE(f.a, nullptr);
    const DOMXMLNodeList attributes = f.a->attributes();
    ASSERT_EQ(attributes.size(), 2);
    const DOMXMLNodePtr text = f.a->childAtIndex(0);

    struct Case {
        const char* what;
        DOMXMLNodePtr node;
        QString name, local, prefix, uri;
    };
    const Case cases[] = {
        { "prefixed element", f.a, "p:a", "a", "p", "urn:p" },
        { "default-namespace element", f.c, "c", "c", "", "urn:d" },
        { "prefixed attribute", attributes[0], "p:at", "at", "p", "urn:p" },
        { "plain attribute", attributes[1], "b", "b", "", QString() },
        { "text", text, "text", "text", "", QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.node->name(), c.name);
        EXPECT_EQ(c.node->qualifiedName(), c.name);
        EXPECT_EQ(c.node->localName(), c.local);
        EXPECT_EQ(c.node->prefix(), c.prefix);
        EXPECT_FALSE(c.node->prefix().isNull());
        EXPECT_EQ(c.node->URI(), c.uri);
        EXPECT_EQ(c.node->URI().isNull(), c.uri.isNull());
    }
}

TEST(DOMXMLNode, KindsOfRecords)
{
    Fixture f;
    auto document = f.document->nodesForXPath("/");
    ASSERT_TRUE(document && document->size() == 1);
    EXPECT_EQ(document->first()->kind(), DOMXMLNode::DocumentKind);
    EXPECT_EQ(f.a->kind(), DOMXMLNode::ElementKind);
    EXPECT_EQ(f.a->attributes().first()->kind(), DOMXMLNode::AttributeKind);
    EXPECT_EQ(f.root->namespaces().first()->kind(), DOMXMLNode::NamespaceKind);
    const DOMXMLNodeList children = f.a->children();
    ASSERT_EQ(children.size(), 4);
    EXPECT_EQ(children[0]->kind(), DOMXMLNode::TextKind);
    EXPECT_EQ(children[1]->kind(), DOMXMLNode::CommentKind);
    EXPECT_EQ(children[2]->kind(), DOMXMLNode::ProcessingInstructionKind);
    EXPECT_EQ(children[3]->kind(), DOMXMLNode::TextKind); // CDATA
    EXPECT_EQ(DOMXMLNode::nodeBorrowingXMLNode(nullptr), nullptr);

    // Wrappers pick their class from the record.
    EXPECT_STREQ(f.a->className(), "DOMXMLElement");
    EXPECT_STREQ(children[0]->className(), "DOMXMLNode");
}

TEST(DOMXMLNode, NamespaceNodes)
{
    Fixture f;
    const DOMXMLNodeList declared = f.root->namespaces();
    ASSERT_EQ(declared.size(), 2);
    EXPECT_EQ(declared[0]->name(), "p");
    EXPECT_EQ(declared[0]->stringValue(), "urn:p");
    // The default namespace has the empty name, not none.
    EXPECT_EQ(declared[1]->qualifiedName(), "");
    EXPECT_FALSE(declared[1]->qualifiedName().isNull());
    EXPECT_EQ(declared[1]->stringValue(), "urn:d");
    EXPECT_TRUE(declared[1]->URI().isNull());
    EXPECT_EQ(declared[1]->childCount(), 0);
    EXPECT_EQ(declared[0]->XMLString(), "xmlns:p=\"urn:p\"");

    DOMXMLNodePtr made = DOMXMLNode::namespaceWithName("", "urn:new");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->name(), "");
    made->setStringValue("urn:changed");
    EXPECT_EQ(made->stringValue(), "urn:changed");
    EXPECT_EQ(DOMXMLNode::namespaceWithName("xml", "http://www.w3.org/XML/1998/namespace"), nullptr);
}

TEST(DOMXMLNode, XmlNamespaceIsNeverListed)
{
    VNError error;
    DOMXMLElementPtr element = DOMXMLElement::initWithXMLString("<a xml:lang='en' xmlns:q='urn:q'><b xml:space='preserve'/></a>", &error);
    ASSERT_NE(element, nullptr);
    QStringList prefixes;
    for (const DOMXMLNodePtr& ns : element->namespaces())
        prefixes << ns->name();
    EXPECT_EQ(prefixes, QStringList({ "q" }));
    EXPECT_EQ(element->attributes().first()->name(), "xml:lang");
}

TEST(DOMXMLNode, LeafElementHasNoChildren)
{
    Fixture f;
    EXPECT_EQ(f.c->childCount(), 0);
    EXPECT_TRUE(f.c->children().isEmpty());
    for (qsizetype index : { qsizetype(-1), qsizetype(0), qsizetype(1), qsizetype(1000) })
        EXPECT_EQ(f.c->childAtIndex(index), nullptr);
}

TEST(DOMXMLNode, StringValuesAndSerialising)
{
    Fixture f;
    EXPECT_EQ(f.a->stringValue(), "tcd"); // text and CDATA, not the comment or instruction
    EXPECT_EQ(f.a->attributes()[0]->stringValue(), "1");
    EXPECT_EQ(f.c->XMLString(), "<c/>");
    EXPECT_EQ(f.a->childAtIndex(1)->XMLString(), "<!--c-->");

    f.a->setStringValue("new & <text>");
    EXPECT_EQ(f.a->stringValue(), "new & <text>");
    EXPECT_EQ(f.a->childCount(), 1);
    f.a->setStringValue(QString()); // ignored
    EXPECT_EQ(f.a->stringValue(), "new & <text>");

    DOMXMLNodePtr attribute = f.a->attributes()[1];
    attribute->setStringValue("v");
    EXPECT_EQ(f.a->attributeForName("b")->stringValue(), "v");

    DOMXMLNodePtr text = DOMXMLNode::textWithStringValue("  spaced  ");
    EXPECT_EQ(text->stringValue(), "  spaced  ");
    EXPECT_EQ(text->XMLString(), "spaced"); // serialised text is trimmed
}

TEST(DOMXMLNode, FactoriesMakeOwningWrappers)
{
    DOMXMLElementPtr plain = DOMXMLNode::elementWithName("e");
    DOMXMLElementPtr valued = DOMXMLNode::elementWithName("e", "v");
    DOMXMLElementPtr spaced = DOMXMLNode::elementWithNameURI("e", "http://n/s");
    DOMXMLNodePtr attribute = DOMXMLNode::attributeWithName("k", "v");
    DOMXMLNodePtr spacedAttribute = DOMXMLNode::attributeWithNameURI("k", "http://n/s", "v");
    for (const DOMXMLNodePtr& node : { DOMXMLNodePtr(plain), DOMXMLNodePtr(valued), DOMXMLNodePtr(spaced), attribute, spacedAttribute }) {
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(node->shouldFreeXMLNode());
    }
    EXPECT_EQ(valued->XMLString(), "<e>v</e>");
    EXPECT_EQ(valued->childCount(), 1);
    EXPECT_EQ(spaced->name(), "{http://n/s}:e");
    EXPECT_EQ(spaced->localName(), "e");
    EXPECT_EQ(attribute->XMLString(), "k=\"v\"");

    Fixture f;
    EXPECT_FALSE(f.a->shouldFreeXMLNode());
}

TEST(DOMXMLNode, EqualityAndHash)
{
    Fixture f;
    auto found = f.document->nodesForXPath("//_def_ns:c");
    ASSERT_TRUE(found && found->size() == 1);
    DOMXMLNodePtr again = found->first();
    EXPECT_NE(again.get(), f.c.get());
    EXPECT_TRUE(f.c->isEqual(again)); // same record

    // Same kind, name and number of children.
    EXPECT_TRUE(DOMXMLNode::elementWithName("c")->isEqual(f.c));
    EXPECT_FALSE(DOMXMLNode::elementWithName("c", "x")->isEqual(f.c));
    EXPECT_FALSE(DOMXMLNode::elementWithName("d")->isEqual(f.c));
    EXPECT_FALSE(DOMXMLNode::textWithStringValue("c")->isEqual(f.c));
    EXPECT_FALSE(f.c->isEqual(nullptr));

    EXPECT_EQ(f.c->hash(), f.a->hash());
    EXPECT_EQ(f.c->hash(), DOMXMLNode::textWithStringValue("x")->hash());
}

TEST(DOMXMLNode, CopyIsIndependentAndOfTheSameClass)
{
    Fixture f;
    DOMXMLNodePtr copy = f.a->copy();
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->className(), "DOMXMLElement");
    EXPECT_TRUE(copy->shouldFreeXMLNode());
    EXPECT_TRUE(copy->isEqual(f.a));
    EXPECT_EQ(copy->URI(), "urn:p");
    copy->setStringValue("changed");
    EXPECT_EQ(f.a->stringValue(), "tcd");
}

TEST(DOMXMLNode, DescriptionFormat)
{
    Fixture f;
    const QRegularExpression pattern(R"(^DOMXMLElement 0x[0-9a-f]+: \{type:1 name:c xml:"<c/>"\}$)");
    EXPECT_TRUE(pattern.match(f.c->description()).hasMatch()) << f.c->description().toStdString();
}

TEST(DOMXMLNode, XPathOnFactoryTreeLeavesItWithoutDocument)
{
    DOMXMLElementPtr root = DOMXMLNode::elementWithName("root");
    root->addChild(DOMXMLNode::elementWithName("item", "1"));
    root->addChild(DOMXMLNode::elementWithName("item", "2"));
    DOMXMLNodePtr second = root->childAtIndex(1);

    auto items = root->nodesForXPath("item");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2);
    EXPECT_EQ(items->at(1)->stringValue(), "2");
    EXPECT_EQ(root->XMLNode()->doc, nullptr);
    EXPECT_EQ(second->XMLNode()->doc, nullptr);

    // From a child, the path sees the whole tree; the temporary document
    // itself is not handed out.
    auto fromChild = second->nodesForXPath("/root/item[1]");
    ASSERT_TRUE(fromChild);
    EXPECT_EQ(fromChild->size(), 1);
    auto documentNode = second->nodesForXPath("/");
    ASSERT_TRUE(documentNode);
    EXPECT_TRUE(documentNode->isEmpty());
    EXPECT_EQ(root->XMLNode()->doc, nullptr);
    EXPECT_EQ(root->XMLNode()->parent, nullptr);
}

TEST(DOMXMLNode, XPathOnNodesWithoutElementTreeIsInvalid)
{
    for (const DOMXMLNodePtr& node : { DOMXMLNode::textWithStringValue("t"), DOMXMLNode::attributeWithName("a", "v"),
             DOMXMLNode::namespaceWithName("p", "urn:p") }) {
        VNError error;
        EXPECT_FALSE(node->nodesForXPath(".", &error));
        EXPECT_EQ(error.code, -1);
        EXPECT_EQ(error.userInfo.value("error"), "invalid node");
    }
}

TEST(DOMXMLNode, RepeatedNamesAndTextsOfADocumentShareOneString)
{
    auto document = DOMXMLDocument::initWithData("<r><item>x</item><item>x</item></r>", 0);
    const DOMXMLNodeList items = document->rootElement()->children();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->name().constData(), items[1]->name().constData());
    EXPECT_EQ(items[0]->stringValue().constData(), items[1]->stringValue().constData());
}
