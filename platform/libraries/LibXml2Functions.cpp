// The libxml2 functions the program calls, loaded with the first XML text
// it reads or writes (see LazyLibrary).
#include "SystemLibraries.h"

#include <libxml/globals.h>
#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlstring.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

using platform::systemlibraries::xml;

namespace {
// The library's allocator is a pair of variables holding functions; the
// program's code calls through variables of those names, which forward to
// whatever the library's variables hold at the time of the call.
void* forwardMalloc(size_t size)
{
    static auto* const real = static_cast<xmlMallocFunc*>(xml().symbol("xmlMalloc"));
    return (*real)(size);
}

void forwardFree(void* memory)
{
    static auto* const real = static_cast<xmlFreeFunc*>(xml().symbol("xmlFree"));
    (*real)(memory);
}
} // namespace

extern "C" {
xmlMallocFunc xmlMalloc = &forwardMalloc;
xmlFreeFunc xmlFree = &forwardFree;
}

VELUMO_LAZY_FUNCTION(xml(), void, xmlInitParser, (void), ())
VELUMO_LAZY_FUNCTION(xml(), xmlDocPtr, xmlReadMemory,
                     (const char* buffer, int size, const char* URL, const char* encoding, int options),
                     (buffer, size, URL, encoding, options))
VELUMO_LAZY_FUNCTION(xml(), xmlDocPtr, xmlNewDoc, (const xmlChar* version), (version))
VELUMO_LAZY_FUNCTION(xml(), void, xmlFreeDoc, (xmlDocPtr doc), (doc))
VELUMO_LAZY_FUNCTION(xml(), void, xmlDocDumpMemory, (xmlDocPtr doc, xmlChar** memory, int* size), (doc, memory, size))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlDocGetRootElement, (const xmlDoc* doc), (doc))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlDocSetRootElement, (xmlDocPtr doc, xmlNodePtr root), (doc, root))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlNewNode, (xmlNsPtr ns, const xmlChar* name), (ns, name))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlNewText, (const xmlChar* content), (content))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlAddChild, (xmlNodePtr parent, xmlNodePtr node), (parent, node))
VELUMO_LAZY_FUNCTION(xml(), xmlNodePtr, xmlCopyNode, (xmlNodePtr node, int recursive), (node, recursive))
VELUMO_LAZY_FUNCTION(xml(), void, xmlFreeNode, (xmlNodePtr node), (node))
VELUMO_LAZY_FUNCTION(xml(), void, xmlUnlinkNode, (xmlNodePtr node), (node))
VELUMO_LAZY_FUNCTION(xml(), void, xmlSetTreeDoc, (xmlNodePtr tree, xmlDocPtr doc), (tree, doc))
VELUMO_LAZY_FUNCTION(xml(), void, xmlNodeSetName, (xmlNodePtr node, const xmlChar* name), (node, name))
VELUMO_LAZY_FUNCTION(xml(), xmlChar*, xmlNodeGetContent, (const xmlNode* node), (node))
VELUMO_LAZY_FUNCTION(xml(), void, xmlNodeSetContent, (xmlNodePtr node, const xmlChar* content), (node, content))
VELUMO_LAZY_FUNCTION(xml(), int, xmlNodeDump, (xmlBufferPtr buffer, xmlDocPtr doc, xmlNodePtr node, int level, int format),
                     (buffer, doc, node, level, format))
VELUMO_LAZY_FUNCTION(xml(), xmlNsPtr, xmlNewNs, (xmlNodePtr node, const xmlChar* href, const xmlChar* prefix),
                     (node, href, prefix))
VELUMO_LAZY_FUNCTION(xml(), void, xmlFreeNs, (xmlNsPtr ns), (ns))
VELUMO_LAZY_FUNCTION(xml(), xmlNsPtr, xmlSearchNs, (xmlDocPtr doc, xmlNodePtr node, const xmlChar* prefix),
                     (doc, node, prefix))
VELUMO_LAZY_FUNCTION(xml(), xmlNsPtr, xmlSearchNsByHref, (xmlDocPtr doc, xmlNodePtr node, const xmlChar* href),
                     (doc, node, href))
VELUMO_LAZY_FUNCTION(xml(), xmlAttrPtr, xmlNewProp, (xmlNodePtr node, const xmlChar* name, const xmlChar* value),
                     (node, name, value))
VELUMO_LAZY_FUNCTION(xml(), xmlAttrPtr, xmlNewNsProp,
                     (xmlNodePtr node, xmlNsPtr ns, const xmlChar* name, const xmlChar* value), (node, ns, name, value))
VELUMO_LAZY_FUNCTION(xml(), xmlAttrPtr, xmlHasProp, (const xmlNode* node, const xmlChar* name), (node, name))
VELUMO_LAZY_FUNCTION(xml(), xmlAttrPtr, xmlHasNsProp, (const xmlNode* node, const xmlChar* name, const xmlChar* ns),
                     (node, name, ns))
VELUMO_LAZY_FUNCTION(xml(), xmlChar*, xmlEncodeSpecialChars, (const xmlDoc* doc, const xmlChar* input), (doc, input))
VELUMO_LAZY_FUNCTION(xml(), xmlBufferPtr, xmlBufferCreate, (void), ())
VELUMO_LAZY_FUNCTION(xml(), void, xmlBufferFree, (xmlBufferPtr buffer), (buffer))
VELUMO_LAZY_FUNCTION(xml(), const xmlChar*, xmlBufferContent, (const xmlBuffer* buffer), (buffer))
VELUMO_LAZY_FUNCTION(xml(), int, xmlBufferLength, (const xmlBuffer* buffer), (buffer))
VELUMO_LAZY_FUNCTION(xml(), int, xmlDictOwns, (xmlDictPtr dict, const xmlChar* text), (dict, text))
VELUMO_LAZY_FUNCTION(xml(), int, xmlHashSize, (xmlHashTablePtr table), (table))
VELUMO_LAZY_FUNCTION(xml(), int, xmlStrEqual, (const xmlChar* a, const xmlChar* b), (a, b))
VELUMO_LAZY_FUNCTION(xml(), xmlChar*, xmlStrdup, (const xmlChar* text), (text))
VELUMO_LAZY_FUNCTION(xml(), xmlXPathContextPtr, xmlXPathNewContext, (xmlDocPtr doc), (doc))
VELUMO_LAZY_FUNCTION(xml(), void, xmlXPathFreeContext, (xmlXPathContextPtr context), (context))
VELUMO_LAZY_FUNCTION(xml(), int, xmlXPathRegisterNs, (xmlXPathContextPtr context, const xmlChar* prefix, const xmlChar* URI),
                     (context, prefix, URI))
VELUMO_LAZY_FUNCTION(xml(), xmlXPathObjectPtr, xmlXPathEval, (const xmlChar* expression, xmlXPathContextPtr context),
                     (expression, context))
VELUMO_LAZY_FUNCTION(xml(), xmlXPathObjectPtr, xmlXPathEvalExpression,
                     (const xmlChar* expression, xmlXPathContextPtr context), (expression, context))
VELUMO_LAZY_FUNCTION(xml(), void, xmlXPathFreeObject, (xmlXPathObjectPtr object), (object))
