// Parsing, XPath and serialising whole documents.
#include "DOMXMLDocument.h"
#include "DOMXMLElement.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<DOMXMLDocument> parse(const char* text, VNError* error = nullptr)
{
    return DOMXMLDocument::initWithData(QByteArray(text), 0, error);
}

QStringList names(const DOMXMLNodeList& nodes)
{
    QStringList result;
    for (const DOMXMLNodePtr& node : nodes)
        result << node->name();
    return result;
}

QStringList values(const DOMXMLNodeList& nodes)
{
    QStringList result;
    for (const DOMXMLNodePtr& node : nodes)
        result << node->stringValue();
    return result;
}

const char* const Config = R"(<?xml version="1.0" encoding="UTF-8"?>
<config>
    <version>2.1</version>
    <whats_new>
        <en>New</en>
        <default>Hello</default>
        <fr></fr>
    </whats_new>
</config>
)";

} // namespace

TEST(DOMXMLDocument, MalformedOrEmptyDataFailsWithCodeMinusOne)
{
    for (const char* text : { "", "   ", "<a>", "<a></b>", "plain text", "<a x='1' x='2'/>", "<?xml version='1.0'?>" }) {
        SCOPED_TRACE(text);
        VNError error;
        EXPECT_EQ(parse(text, &error), nullptr);
        EXPECT_EQ(error.domain, QString::fromLatin1(DOMXMLErrorDomain));
        EXPECT_EQ(error.code, -1);
        EXPECT_TRUE(error.userInfo.isEmpty());
    }
}

TEST(DOMXMLDocument, SuccessClearsTheErrorAndDropsBlankText)
{
    VNError error = VNError::make("stale", 5);
    auto document = parse(Config, &error);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(error.domain.isEmpty());
    EXPECT_EQ(error.code, 0);

    DOMXMLElementPtr root = document->rootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), "config");
    EXPECT_EQ(names(root->children()), QStringList({ "version", "whats_new" }));
}

TEST(DOMXMLDocument, ConfigurationReadByXPath)
{
    auto document = parse(Config);
    ASSERT_NE(document, nullptr);

    auto version = document->nodesForXPath("//config/version");
    ASSERT_TRUE(version);
    EXPECT_EQ(values(*version), QStringList({ "2.1" }));

    auto whatsNew = document->nodesForXPath("//config/whats_new");
    ASSERT_TRUE(whatsNew && whatsNew->size() == 1);
    const DOMXMLNodeList entries = whatsNew->first()->children();
    EXPECT_EQ(names(entries), QStringList({ "en", "default", "fr" }));
    EXPECT_EQ(values(entries), QStringList({ "New", "Hello", "" }));

    auto missing = document->nodesForXPath("//config/nothing");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->isEmpty());
}

TEST(DOMXMLDocument, XPathResultsThatAreNoNodesGiveEmptyLists)
{
    auto document = parse("<r><a/><a/></r>");
    for (const char* expression : { "count(//a)", "string(/r)", "1 = 1" }) {
        SCOPED_TRACE(expression);
        VNError error;
        auto nodes = document->nodesForXPath(expression, &error);
        ASSERT_TRUE(nodes);
        EXPECT_TRUE(nodes->isEmpty());
    }
}

TEST(DOMXMLDocument, BrokenXPathReportsLibxmlCodeAndExpression)
{
    auto document = parse("<r/>");
    for (const char* expression : { "//[", "undefined:prefix", "foo(" }) {
        SCOPED_TRACE(expression);
        VNError error;
        EXPECT_FALSE(document->nodesForXPath(expression, &error));
        EXPECT_EQ(error.domain, QString::fromLatin1(DOMXMLErrorDomain));
        EXPECT_GT(error.code, 0);
        EXPECT_EQ(error.userInfo.value("error"), QString::fromLatin1(expression));
    }
}

TEST(DOMXMLDocument, DefaultNamespaceIsReachedThroughDefNsPrefix)
{
    auto document = parse("<feed xmlns='http://example.com/f' xmlns:m='http://example.com/m'>"
                          "<entry><item>1</item><m:item>x</m:item></entry><item>2</item></feed>");
    ASSERT_NE(document, nullptr);

    struct Case {
        const char* xpath;
        std::optional<QMap<QString, QString>> namespaces;
        QStringList expected;
    };
    const QMap<QString, QString> explicitMap { { "f", "http://example.com/f" } };
    const Case cases[] = {
        { "//_def_ns:item", std::nullopt, { "1", "2" } },
        { "//item", std::nullopt, {} },
        { "//m:item", std::nullopt, { "x" } },
        { "//f:item", explicitMap, { "1", "2" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xpath);
        auto nodes = document->nodesForXPath(c.xpath, c.namespaces);
        ASSERT_TRUE(nodes);
        EXPECT_EQ(values(*nodes), c.expected);
    }
    // A dictionary replaces the automatic registration.
    EXPECT_FALSE(document->nodesForXPath("//_def_ns:item", explicitMap));
}

TEST(DOMXMLDocument, XPathFromAnElementUsesItsOwnDeclarationsOnly)
{
    auto document = parse("<r xmlns:a='urn:a'><s xmlns:b='urn:b'><b:x/><a:y/></s></r>");
    auto s = document->rootElement()->childAtIndex(0);
    ASSERT_NE(s, nullptr);
    auto xs = s->nodesForXPath("b:x");
    ASSERT_TRUE(xs);
    EXPECT_EQ(xs->size(), 1);
    EXPECT_FALSE(s->nodesForXPath("a:y"));
}

TEST(DOMXMLDocument, DocumentBuiltFromElementSerialises)
{
    DOMXMLElementPtr root = DOMXMLNode::elementWithName("root");
    root->addChild(DOMXMLNode::elementWithName("child", "a < b"));
    auto document = DOMXMLDocument::initWithRootElement(root);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->XMLString(), "<?xml version=\"1.0\"?>\n<root><child>a &lt; b</child></root>\n");

    document->setVersion("1.1");
    document->setCharacterEncoding("UTF-8");
    EXPECT_TRUE(document->XMLString().startsWith("<?xml version=\"1.1\" encoding=\"UTF-8\"?>"));

    // The document holds a copy: later edits of the element do not show.
    root->addChild(DOMXMLNode::elementWithName("late"));
    EXPECT_EQ(document->rootElement()->childCount(), 1);

    document->setCharacterEncoding("no-such-encoding");
    EXPECT_FALSE(document->XMLData());
    EXPECT_TRUE(document->XMLString().isNull());
}

TEST(DOMXMLDocument, DocumentWithoutRootElement)
{
    auto document = DOMXMLDocument::initWithRootElement(nullptr);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->rootElement(), nullptr);
    auto nodes = document->nodesForXPath("/*");
    ASSERT_TRUE(nodes);
    EXPECT_TRUE(nodes->isEmpty());
}

TEST(DOMXMLDocument, ParsingFetchesNothingAndSubstitutesNoEntities)
{
    // An external DTD is never loaded and entities stay references.
    auto document = parse("<!DOCTYPE r SYSTEM 'http://127.0.0.1:9/none.dtd' [<!ENTITY e 'text'>]><r>&e;</r>");
    ASSERT_NE(document, nullptr);
    DOMXMLElementPtr root = document->rootElement();
    EXPECT_EQ(root->stringValue(), "text");
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->childAtIndex(0)->kind(), DOMXMLNode::EntityDeclarationKind);
    // The reference's own link to the shared declaration is not a child.
    EXPECT_EQ(root->childAtIndex(0)->childCount(), 0);
}

TEST(DOMXMLDocument, DescriptionNamesClassAndAddress)
{
    auto document = parse("<r/>");
    EXPECT_TRUE(document->description().startsWith("DOMXMLDocument 0x"));
}
