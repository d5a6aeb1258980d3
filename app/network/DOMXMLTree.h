#pragma once

#include <QString>

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Keeps one libxml2 tree alive for every wrapper drawn from it. A tree is
// either a whole document or a single detached record (element, attribute,
// namespace...) that an owning wrapper holds. Each wrapper carries a
// shared_ptr to its tree, so the libxml2 memory it points at lives as long
// as the last wrapper does.
//
// Records taken out of the tree while wrappers may still point at them
// (removed children, replaced content, dropped namespace declarations) are
// retired here instead of being freed, and freed together with the tree.
class DOMXMLTree {
public:
    // Takes ownership of doc. With a string cache, names and texts of the
    // document are converted to QString once.
    static std::shared_ptr<DOMXMLTree> forDocument(xmlDocPtr doc, bool withStringCache);
    // Takes ownership of a detached record of any kind (a namespace record
    // cast to xmlNodePtr included).
    static std::shared_ptr<DOMXMLTree> forRecord(xmlNodePtr record);

    ~DOMXMLTree();
    DOMXMLTree(const DOMXMLTree&) = delete;
    DOMXMLTree& operator=(const DOMXMLTree&) = delete;

    // The owned record (the document cast to xmlNodePtr for a document tree).
    xmlNodePtr root() const { return root_; }
    xmlDocPtr document() const;
    bool ownsRoot() const { return ownsRoot_; }
    // The caller takes the root over: it is no longer freed here.
    void releaseRoot() { ownsRoot_ = false; }
    void adoptRoot() { ownsRoot_ = true; }

    // An unlinked subtree, freed with the tree.
    void retireNode(xmlNodePtr node);
    // A namespace record taken out of a declaration list, freed with the tree.
    void retireNamespace(xmlNsPtr ns);
    // Another tree that records of this one depend on (names interned in its
    // dictionary, a document pointer) and that must therefore outlive it.
    void keepAlive(std::shared_ptr<DOMXMLTree> other);

    bool hasStringCache() const { return hasStringCache_; }
    // The cached string for text, converting and storing it on a miss.
    QString internedString(const xmlChar* text);

private:
    explicit DOMXMLTree(xmlNodePtr root);

    struct Djb2 {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept;
    };

    xmlNodePtr root_ = nullptr;
    bool ownsRoot_ = true;
    bool hasStringCache_ = false;
    std::vector<xmlNodePtr> retiredNodes_;
    std::vector<xmlNsPtr> retiredNamespaces_;
    std::vector<std::shared_ptr<DOMXMLTree>> dependencies_;
    std::unordered_map<std::string, QString, Djb2, std::equal_to<>> strings_;
};
