#include "exchange/ExchangeDocument.h"

#include <libxml/entities.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "exchange/EntityReference.h"
#include "exchange/SafeXmlParser.h"

namespace velmaro {

namespace {

constexpr const char* kRootName = "SERVICIO";
constexpr const char* kDataBlockName = "BLOQUE_DATOS";
constexpr const char* kGroupName = "grupo_datos";
constexpr const char* kSectionAttribute = "seq";
constexpr const char* kFieldName = "dato";

const char* NameOf(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

// Element names compare exactly, letter case included; the namespace is not consulted.
bool IsElementNamed(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && std::strcmp(NameOf(node), name) == 0;
}

bool IsWhiteSpaceOnly(const xmlChar* text) {
    if (text == nullptr) return true;
    for (; *text != 0; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
    }
    return true;
}

// The first node of an internal entity's replacement text, or null for any other reference.
// External entities are never loaded, so they contribute nothing.
const xmlNode* ExpansionOf(const xmlNode* reference) {
    const xmlEntity* entity = InternalEntityOf(reference);
    return entity == nullptr ? nullptr : entity->children;
}

void AppendTextOfNodes(const xmlNode* first, std::string& out);

// Adds the text that `node` contributes: a text node made only of white space is not part of
// the document; CDATA sections are kept as written; comments and processing instructions are
// not data.
void AppendTextOfNode(const xmlNode* node, std::string& out) {
    switch (node->type) {
        case XML_TEXT_NODE:
            if (!IsWhiteSpaceOnly(node->content))
                out += reinterpret_cast<const char*>(node->content);
            break;
        case XML_CDATA_SECTION_NODE:
            if (node->content != nullptr) out += reinterpret_cast<const char*>(node->content);
            break;
        case XML_ELEMENT_NODE:
            AppendTextOfNodes(node->children, out);
            break;
        case XML_ENTITY_REF_NODE:
            AppendTextOfNodes(ExpansionOf(node), out);
            break;
        default:
            break;
    }
}

void AppendTextOfNodes(const xmlNode* first, std::string& out) {
    for (const xmlNode* node = first; node != nullptr; node = node->next) {
        AppendTextOfNode(node, out);
    }
}

std::string TextContent(const xmlNode* node) {
    std::string text;
    AppendTextOfNode(node, text);
    return text;
}

// True for the nodes that the document shows as children: elements, CDATA, entity
// references and text that is not only white space.
bool IsVisibleChild(const xmlNode* node) {
    switch (node->type) {
        case XML_ELEMENT_NODE:
        case XML_CDATA_SECTION_NODE:
        case XML_ENTITY_REF_NODE:
            return true;
        case XML_TEXT_NODE:
            return !IsWhiteSpaceOnly(node->content);
        default:
            return false;
    }
}

// True when `element` carries attribute `name` with exactly the value `value`.
bool HasAttributeValue(const xmlNode* element, const char* name, std::string_view value) {
    for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0) continue;
        xmlChar* text = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attr));
        const bool equal = text != nullptr && reinterpret_cast<const char*>(text) == value;
        xmlFree(text);
        return equal;
    }
    return false;
}

const xmlNode* ServiceRoot(const xmlDoc* doc) {
    const xmlNode* root = xmlDocGetRootElement(doc);
    return root != nullptr && IsElementNamed(root, kRootName) ? root : nullptr;
}

// Calls `visit` for every element child of `parent` named `name`, in document order.
template <typename Visit>
void ForEachChildElement(const xmlNode* parent, const char* name, Visit visit) {
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (IsElementNamed(child, name)) visit(child);
    }
}

// Calls `visit` for every BLOQUE_DATOS child of the root SERVICIO, in document order.
template <typename Visit>
void ForEachDataBlock(const xmlDoc* doc, Visit visit) {
    const xmlNode* root = ServiceRoot(doc);
    if (root != nullptr) ForEachChildElement(root, kDataBlockName, visit);
}

// Calls `visit` for every section element whose seq is exactly `section`, in document order.
template <typename Visit>
void ForEachSection(const xmlDoc* doc, std::string_view section, Visit visit) {
    ForEachDataBlock(doc, [&](const xmlNode* block) {
        ForEachChildElement(block, kGroupName, [&](const xmlNode* group) {
            if (HasAttributeValue(group, kSectionAttribute, section)) visit(group);
        });
    });
}

const char* TextOf(const xmlChar* text) {
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// The declaration of `doc`, which libxml2 records as version, encoding and standalone; nothing
// when the document had none (standalone -1). Standalone -2 means a declaration without it.
std::optional<XmlDeclaration> DeclarationOf(const xmlDoc* doc) {
    if (doc->standalone == -1) return std::nullopt;
    XmlDeclaration declaration;
    if (doc->version != nullptr) declaration.version = TextOf(doc->version);
    if (doc->encoding != nullptr) declaration.encoding = TextOf(doc->encoding);
    if (doc->standalone >= 0) declaration.standalone = doc->standalone == 1;
    return declaration;
}

// The document type `dtd` as libxml2's serializer writes it.
std::string DocumentTypeText(xmlDoc* doc, xmlDtd* dtd) {
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(),
                                                                 xmlBufferFree);
    if (buffer == nullptr || xmlNodeDump(buffer.get(), doc, reinterpret_cast<xmlNode*>(dtd), 0,
                                         0) < 0) {
        throw std::bad_alloc();
    }
    return std::string(TextOf(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

// `node`, a child of the document other than its root, as a prolog node; nothing for a kind of
// node that the prolog does not hold.
std::optional<PrologNode> PrologNodeOf(xmlDoc* doc, xmlNode* node) {
    PrologNode prologNode;
    switch (node->type) {
        case XML_COMMENT_NODE:
            prologNode.kind = PrologNode::Kind::Comment;
            prologNode.text = TextOf(node->content);
            return prologNode;
        case XML_PI_NODE:
            prologNode.kind = PrologNode::Kind::ProcessingInstruction;
            prologNode.target = TextOf(node->name);
            prologNode.text = TextOf(node->content);
            return prologNode;
        case XML_DTD_NODE: {
            auto* dtd = reinterpret_cast<xmlDtd*>(node);
            prologNode.kind = PrologNode::Kind::DocumentType;
            prologNode.text = DocumentTypeText(doc, dtd);
            prologNode.xhtml = xmlIsXHTML(dtd->SystemID, dtd->ExternalID) == 1;
            return prologNode;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

ExchangeProlog PrologOf(const ExchangeDocument& document) {
    xmlDoc* doc = document.Raw();
    ExchangeProlog prolog;
    prolog.declaration = DeclarationOf(doc);
    bool afterRoot = false;
    for (xmlNode* child = doc->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            afterRoot = true;
        } else if (std::optional<PrologNode> node = PrologNodeOf(doc, child)) {
            (afterRoot ? prolog.afterRoot : prolog.beforeRoot).push_back(std::move(*node));
        }
    }
    return prolog;
}

std::size_t ExchangeRecord::FieldCount() const {
    std::size_t count = 0;
    ForEachChildElement(record_, kFieldName, [&](const xmlNode*) { ++count; });
    return count;
}

std::string ExchangeRecord::Field(std::size_t position) const {
    std::size_t seen = 0;
    for (const xmlNode* child = record_->children; child != nullptr; child = child->next) {
        if (IsElementNamed(child, kFieldName) && seen++ == position) return TextContent(child);
    }
    return std::string();
}

std::size_t ExchangeRecord::ReadFields(std::span<std::string> texts) const {
    for (std::string& text : texts) text.clear();
    std::size_t count = 0;
    ForEachChildElement(record_, kFieldName, [&](const xmlNode* field) {
        if (count < texts.size()) AppendTextOfNode(field, texts[count]);
        ++count;
    });
    return count;
}

void ExchangeDocument::DocDeleter::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

ExchangeDocument::ExchangeDocument(std::filesystem::path path, _xmlDoc* doc)
    : path_(std::move(path)), doc_(doc) {}

ExchangeDocument::ExchangeDocument(ExchangeDocument&&) noexcept = default;
ExchangeDocument& ExchangeDocument::operator=(ExchangeDocument&&) noexcept = default;
ExchangeDocument::~ExchangeDocument() = default;

ExchangeDocument ExchangeDocument::Load(const std::filesystem::path& path) {
    return ExchangeDocument(path, ParseXmlFileSafely(path));
}

void ExchangeDocument::KeepUntilProcessEnds() {
    // Never destroyed, so the documents stay reachable to the end and leak checkers do not
    // count them as lost.
    static auto* const kept = new std::vector<_xmlDoc*>;
    kept->push_back(doc_.release());
}

bool ExchangeDocument::HasEnvelope() const {
    bool found = false;
    ForEachDataBlock(doc_.get(), [&](const xmlNode*) { found = true; });
    return found;
}

bool ExchangeDocument::HasSection(std::string_view section) const {
    bool found = false;
    ForEachSection(doc_.get(), section, [&](const xmlNode*) { found = true; });
    return found;
}

std::vector<ExchangeRecord> ExchangeDocument::Records(std::string_view section) const {
    std::vector<ExchangeRecord> records;
    ForEachSection(doc_.get(), section, [&](const xmlNode* sectionElement) {
        ForEachChildElement(sectionElement, kGroupName, [&](const xmlNode* record) {
            records.emplace_back(const_cast<xmlNode*>(record));
        });
    });
    return records;
}

void ExchangeDocument::ForEachRecord(
    std::string_view section, const std::function<void(const ExchangeRecord&)>& visit) const {
    ForEachSection(doc_.get(), section, [&](const xmlNode* sectionElement) {
        ForEachChildElement(sectionElement, kGroupName, [&](const xmlNode* record) {
            visit(ExchangeRecord(const_cast<xmlNode*>(record)));
        });
    });
}

std::optional<std::string> ExchangeDocument::FirstDataBlockChildText() const {
    const xmlNode* root = ServiceRoot(doc_.get());
    if (root == nullptr) return std::nullopt;
    for (const xmlNode* block = root->children; block != nullptr; block = block->next) {
        if (!IsElementNamed(block, kDataBlockName)) continue;
        for (const xmlNode* child = block->children; child != nullptr; child = child->next) {
            if (IsVisibleChild(child)) return TextContent(child);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace velmaro
