#pragma once

#include "MyPushAdXMLNode.h"

#include <QString>

#include <memory>
#include <vector>

struct _xmlDoc;

// An ad description parsed from text, queried by XPath. The parser reads
// nothing but the text: no network, no external entities.
class MyPushAdXMLDocument {
public:
    // Null when the text is not well-formed XML.
    static std::unique_ptr<MyPushAdXMLDocument> fromString(const QString& text);
    ~MyPushAdXMLDocument();
    MyPushAdXMLDocument(const MyPushAdXMLDocument&) = delete;
    MyPushAdXMLDocument& operator=(const MyPushAdXMLDocument&) = delete;

    // The nodes the path selects, evaluated from the document itself or,
    // when given, from that node; empty for a path that does not evaluate.
    std::vector<MyPushAdXMLNode> nodesForXPath(const QString& xpath) const;
    std::vector<MyPushAdXMLNode> nodesForXPath(const QString& xpath, const MyPushAdXMLNode& context) const;
    // The text of the first node the path selects; empty when none.
    QString firstStringForXPath(const QString& xpath) const;
    QString firstStringForXPath(const QString& xpath, const MyPushAdXMLNode& context) const;

private:
    explicit MyPushAdXMLDocument(_xmlDoc* doc)
        : m_doc(doc)
    {
    }
    std::vector<MyPushAdXMLNode> evaluate(const QString& xpath, void* context) const;
    _xmlDoc* m_doc;
};
