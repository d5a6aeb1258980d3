#include "MyPushAdXMLDocument.h"

#include "platform/libraries/SystemLibraries.h"

#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

std::unique_ptr<MyPushAdXMLDocument> MyPushAdXMLDocument::fromString(const QString& text)
{
    // The XML library is loaded by the first description read; one that
    // does not load reads as no description.
    if (!platform::systemlibraries::xml().load())
        return nullptr;
    xmlInitParser();
    const QByteArray utf8 = text.toUtf8();
    // The text is already Unicode: an encoding named in its prolog no longer holds.
    xmlDoc* doc = xmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return nullptr;
    // An ad description never needs entities of its own, and reading a
    // value expands them: a few declared ones can grow to gigabytes.
    for (xmlDtd* dtd : {doc->intSubset, doc->extSubset}) {
        if (dtd && ((dtd->entities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->entities)) > 0) ||
                    (dtd->pentities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->pentities)) > 0))) {
            xmlFreeDoc(doc);
            return nullptr;
        }
    }
    return std::unique_ptr<MyPushAdXMLDocument>(new MyPushAdXMLDocument(doc));
}

MyPushAdXMLDocument::~MyPushAdXMLDocument()
{
    xmlFreeDoc(m_doc);
}

std::vector<MyPushAdXMLNode> MyPushAdXMLDocument::evaluate(const QString& xpath, void* context) const
{
    std::vector<MyPushAdXMLNode> nodes;
    xmlXPathContext* ctx = xmlXPathNewContext(m_doc);
    if (!ctx)
        return nodes;
    ctx->node = context ? static_cast<xmlNode*>(context) : reinterpret_cast<xmlNode*>(m_doc);
    const QByteArray expression = xpath.toUtf8();
    xmlXPathObject* result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.constData()), ctx);
    if (result && result->type == XPATH_NODESET && result->nodesetval) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            nodes.emplace_back(result->nodesetval->nodeTab[i]);
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return nodes;
}

std::vector<MyPushAdXMLNode> MyPushAdXMLDocument::nodesForXPath(const QString& xpath) const
{
    return evaluate(xpath, nullptr);
}

std::vector<MyPushAdXMLNode> MyPushAdXMLDocument::nodesForXPath(const QString& xpath, const MyPushAdXMLNode& context) const
{
    return evaluate(xpath, context.raw());
}

QString MyPushAdXMLDocument::firstStringForXPath(const QString& xpath) const
{
    const auto nodes = nodesForXPath(xpath);
    return nodes.empty() ? QString() : nodes.front().stringValue();
}

QString MyPushAdXMLDocument::firstStringForXPath(const QString& xpath, const MyPushAdXMLNode& context) const
{
    const auto nodes = nodesForXPath(xpath, context);
    return nodes.empty() ? QString() : nodes.front().stringValue();
}
