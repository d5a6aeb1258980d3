#pragma once

#include <QString>

#include <vector>

struct _xmlNode;

// A node of a parsed ad description; valid while its document lives.
class MyPushAdXMLNode {
public:
    explicit MyPushAdXMLNode(_xmlNode* node)
        : m_node(node)
    {
    }
    // The element's name; empty for text, comments and the like.
    QString name() const;
    // The text of the node and everything below it.
    QString stringValue() const;
    // The element children, in document order.
    std::vector<MyPushAdXMLNode> childElements() const;
    _xmlNode* raw() const { return m_node; }

private:
    _xmlNode* m_node;
};
