#include "MyPushAdXMLNode.h"

#include <libxml/tree.h>

QString MyPushAdXMLNode::name() const
{
    if (!m_node || m_node->type != XML_ELEMENT_NODE || !m_node->name)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(m_node->name));
}

QString MyPushAdXMLNode::stringValue() const
{
    if (!m_node)
        return QString();
    xmlChar* content = xmlNodeGetContent(m_node);
    if (!content)
        return QString();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

std::vector<MyPushAdXMLNode> MyPushAdXMLNode::childElements() const
{
    std::vector<MyPushAdXMLNode> children;
    if (!m_node)
        return children;
    for (xmlNode* child = m_node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            children.emplace_back(child);
    }
    return children;
}
