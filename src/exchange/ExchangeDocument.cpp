#include "exchange/ExchangeDocument.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <system_error>
#include <utility>

#include "exchange/ExchangeReader.h"

namespace velmaro {

namespace {

// Element names compare exactly, letter case included; the namespace is not consulted.
constexpr std::string_view kRootName = "SERVICIO";
constexpr std::string_view kDataBlockName = "BLOQUE_DATOS";
constexpr std::string_view kGroupName = "grupo_datos";
constexpr std::string_view kSectionAttribute = "seq";
constexpr std::string_view kFieldName = "dato";

// Depths of the envelope's elements, the root being at depth 1.
constexpr int kRootDepth = 1;
constexpr int kDataBlockDepth = 2;
constexpr int kSectionDepth = 3;
constexpr int kRecordDepth = 4;
constexpr int kFieldDepth = 5;

// Marks in the field texts: after each field's text, and after each record's last field.
constexpr char kFieldEnd = '\0';                      // XML text never holds U+0000
constexpr char kRecordEnd = static_cast<char>(0xFF);  // a byte that UTF-8 never uses

bool IsWhiteSpaceOnly(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    }
    return true;
}

// The field that follows `field` in its record (or the record's end mark).
const char* NextField(const char* field) { return field + std::strlen(field) + 1; }

// The value of the first attribute named `name`, if any.
std::optional<std::string_view> AttributeValue(std::span<const ReaderAttribute> attributes,
                                               std::string_view name) {
    for (const ReaderAttribute& attribute : attributes) {
        if (attribute.name == name) return attribute.value;
    }
    return std::nullopt;
}

}  // namespace

std::size_t ExchangeRecord::FieldCount() const {
    std::size_t count = 0;
    for (const char* field = fields_; *field != kRecordEnd; field = NextField(field)) ++count;
    return count;
}

std::string ExchangeRecord::Field(std::size_t position) const {
    std::size_t seen = 0;
    for (const char* field = fields_; *field != kRecordEnd; field = NextField(field)) {
        if (seen++ == position) return std::string(field);
    }
    return std::string();
}

std::size_t ExchangeRecord::ReadFields(std::span<std::string> texts) const {
    std::size_t count = 0;
    for (const char* field = fields_; *field != kRecordEnd; field = NextField(field)) {
        if (count < texts.size()) texts[count].assign(field);
        ++count;
    }
    for (std::size_t k = count; k < texts.size(); ++k) texts[k].clear();
    return count;
}

std::size_t ExchangeRecord::ReadFieldViews(std::span<std::string_view> texts) const {
    std::size_t count = 0;
    for (const char* field = fields_; *field != kRecordEnd; field = NextField(field)) {
        if (count < texts.size()) texts[count] = field;
        ++count;
    }
    for (std::size_t k = count; k < texts.size(); ++k) texts[k] = {};
    return count;
}

// Builds the model from the reader's events. The tree is followed by depth: the envelope's
// elements are recognised at their depths, entity content never adds depth (its elements are
// not children of the element that holds the reference), and text is kept only below a field
// (for the field) or in the first data block's first child (for the academic year).
//
// As in a tree, consecutive Text calls make one text node, which is dropped when it is only
// white space; any other event ends it.
class ExchangeDocument::Builder final : public ExchangeReaderEvents {
public:
    explicit Builder(ExchangeDocument& document)
        : document_(document), texts_(document.fieldTexts_) {}

    void Declaration(const XmlDeclaration& declaration) override {
        document_.prolog_.declaration = declaration;
    }

    void DocumentType(std::string_view text, bool xhtml) override {
        EndTextNode();
        PrologNode node;
        node.kind = PrologNode::Kind::DocumentType;
        node.text = text;
        node.xhtml = xhtml;
        AddBesideRoot(std::move(node));
    }

    void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                      int line) override {
        EndTextNode();
        if (entityDepth_ > 0) return;
        switch (++depth_) {
            case kRootDepth:
                rootIsService_ = name == kRootName;
                break;
            case kDataBlockDepth:
                if (rootIsService_ && name == kDataBlockName) {
                    inDataBlock_ = true;
                    document_.hasEnvelope_ = true;
                    if (dataBlocks_++ == 0) firstChild_ = FirstChild::Looking;
                }
                break;
            case kSectionDepth:
                if (!inDataBlock_) break;
                if (firstChild_ == FirstChild::Looking) firstChild_ = FirstChild::InElement;
                if (name != kGroupName) break;
                if (const auto seq = AttributeValue(attributes, kSectionAttribute)) {
                    inSection_ = true;
                    section_ = Section{std::string(*seq), texts_.size(), 0, 0,
                                       document_.recordLines_.size()};
                }
                break;
            case kRecordDepth:
                inRecord_ = inSection_ && name == kGroupName;
                if (inRecord_) document_.recordLines_.push_back(line);
                break;
            case kFieldDepth:
                inField_ = inRecord_ && name == kFieldName;
                break;
            default:
                break;
        }
    }

    void EndElement() override {
        EndTextNode();
        if (entityDepth_ > 0) return;
        switch (depth_--) {
            case kRootDepth:
                rootEnded_ = true;
                break;
            case kDataBlockDepth:
                inDataBlock_ = false;
                if (firstChild_ == FirstChild::Looking) firstChild_ = FirstChild::None;
                break;
            case kSectionDepth:
                if (firstChild_ == FirstChild::InElement) KeepFirstChild();
                if (inSection_) {
                    section_.end = texts_.size();
                    document_.sections_.push_back(std::move(section_));
                    inSection_ = false;
                }
                break;
            case kRecordDepth:
                if (inRecord_) {
                    texts_.push_back(kRecordEnd);
                    ++section_.recordCount;
                    inRecord_ = false;
                }
                break;
            case kFieldDepth:
                if (inField_) {
                    texts_.push_back(kFieldEnd);
                    inField_ = false;
                }
                break;
            default:
                break;
        }
    }

    void Text(std::string_view text) override {
        if (!inField_ && !InFirstChild()) {
            if (!AtFirstChildPlace()) return;
            firstChild_ = FirstChild::InText;
        }
        if (!inTextNode_) {
            inTextNode_ = true;
            textNodeBlank_ = true;
            textNodeFieldStart_ = texts_.size();
            textNodeFirstChildStart_ = firstChildText_.size();
        }
        if (textNodeBlank_) textNodeBlank_ = IsWhiteSpaceOnly(text);
        if (inField_) texts_.insert(texts_.end(), text.begin(), text.end());
        if (InFirstChild()) firstChildText_ += text;
    }

    void CData(std::string_view text) override {
        EndTextNode();
        if (AtFirstChildPlace()) {
            firstChildText_ = text;
            KeepFirstChild();
            return;
        }
        if (inField_) texts_.insert(texts_.end(), text.begin(), text.end());
        if (InFirstChild()) firstChildText_ += text;
    }

    void Comment(std::string_view text) override {
        EndTextNode();
        if (depth_ > 0 || entityDepth_ > 0) return;
        PrologNode node;
        node.kind = PrologNode::Kind::Comment;
        node.text = text;
        AddBesideRoot(std::move(node));
    }

    void ProcessingInstruction(std::string_view target, std::string_view text) override {
        EndTextNode();
        if (depth_ > 0 || entityDepth_ > 0) return;
        PrologNode node;
        node.kind = PrologNode::Kind::ProcessingInstruction;
        node.target = target;
        node.text = text;
        AddBesideRoot(std::move(node));
    }

    // A reference is a child of its own, even when its entity has no content.
    void BeginEntity() override {
        EndTextNode();
        if (AtFirstChildPlace()) firstChild_ = FirstChild::InEntity;
        ++entityDepth_;
    }

    void EndEntity() override {
        EndTextNode();
        if (--entityDepth_ == 0 && firstChild_ == FirstChild::InEntity) KeepFirstChild();
    }

private:
    // Where the first data block's first child stands while it is read.
    enum class FirstChild {
        NotYet,     // no data block yet
        Looking,    // in the first data block, before any child that counts
        InElement,  // reading the first child, an element
        InText,     // reading the first child, a text node (dropped if only white space)
        InEntity,   // reading the first child, an entity reference
        None,       // the first data block had no child that counts
        Kept,       // read
    };

    bool InFirstChild() const {
        return firstChild_ == FirstChild::InElement || firstChild_ == FirstChild::InText ||
               firstChild_ == FirstChild::InEntity;
    }

    // True when a node here would be the first data block's first child.
    bool AtFirstChildPlace() const {
        return firstChild_ == FirstChild::Looking && depth_ == kDataBlockDepth && entityDepth_ == 0;
    }

    void KeepFirstChild() {
        document_.firstDataBlockChildText_ = std::move(firstChildText_);
        firstChild_ = FirstChild::Kept;
    }

    // Ends the text node being read: one made only of white space is not part of the document.
    void EndTextNode() {
        if (!inTextNode_) return;
        inTextNode_ = false;
        if (textNodeBlank_) {
            if (inField_) texts_.resize(textNodeFieldStart_);
            if (InFirstChild()) firstChildText_.resize(textNodeFirstChildStart_);
        }
        if (firstChild_ == FirstChild::InText) {
            if (textNodeBlank_) {
                firstChild_ = FirstChild::Looking;
            } else {
                KeepFirstChild();
            }
        }
    }

    void AddBesideRoot(PrologNode node) {
        auto& nodes = rootEnded_ ? document_.prolog_.afterRoot : document_.prolog_.beforeRoot;
        nodes.push_back(std::move(node));
    }

    ExchangeDocument& document_;
    std::vector<char>& texts_;  // the document's field texts

    int depth_ = 0;        // depth of the open element in the tree; 0 outside the root
    int entityDepth_ = 0;  // entity references whose content is being told
    bool rootIsService_ = false;
    bool rootEnded_ = false;
    bool inDataBlock_ = false;
    std::size_t dataBlocks_ = 0;
    bool inSection_ = false;
    bool inRecord_ = false;
    bool inField_ = false;
    Section section_;  // the open section

    FirstChild firstChild_ = FirstChild::NotYet;
    std::string firstChildText_;

    bool inTextNode_ = false;
    bool textNodeBlank_ = true;
    std::size_t textNodeFieldStart_ = 0;       // where the text node began in texts_
    std::size_t textNodeFirstChildStart_ = 0;  // where it began in firstChildText_
};

ExchangeDocument::ExchangeDocument(std::filesystem::path path) : path_(std::move(path)) {}

ExchangeDocument::ExchangeDocument(ExchangeDocument&&) noexcept = default;
ExchangeDocument& ExchangeDocument::operator=(ExchangeDocument&&) noexcept = default;
ExchangeDocument::~ExchangeDocument() = default;

// The field texts of a document take fewer bytes than the document (each field's text is
// at least as long in the file, and its markup longer than its end mark) unless entities or the
// document's encoding lengthen them. Reserving that much once spares copying the texts as they
// grow; the pages that are not written are never touched.
void ExchangeDocument::ReserveFieldTexts() {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(path_, error);
    if (error) return;
    fieldTexts_.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes, INT_MAX)));
}

ExchangeDocument ExchangeDocument::Load(const std::filesystem::path& path) {
    ExchangeDocument document(path);
    document.ReserveFieldTexts();
    Builder builder(document);
    ReadExchangeDocument(path, builder);
    return document;
}

template <typename Visit>
void ExchangeDocument::ForEachRecordStart(std::string_view section, Visit visit) const {
    for (const Section& s : sections_) {
        if (s.seq != section) continue;
        const char* record = fieldTexts_.data() + s.begin;
        const char* const end = fieldTexts_.data() + s.end;
        for (std::size_t k = 0; k < s.recordCount; ++k) {
            visit(record, recordLines_[s.firstRecord + k]);
            record = static_cast<const char*>(std::memchr(record, kRecordEnd, end - record)) + 1;
        }
    }
}

bool ExchangeDocument::HasSection(std::string_view section) const {
    for (const Section& s : sections_) {
        if (s.seq == section) return true;
    }
    return false;
}

std::size_t ExchangeDocument::RecordCount(std::string_view section) const {
    std::size_t count = 0;
    for (const Section& s : sections_) {
        if (s.seq == section) count += s.recordCount;
    }
    return count;
}

std::vector<ExchangeRecord> ExchangeDocument::Records(std::string_view section) const {
    std::vector<ExchangeRecord> records;
    records.reserve(RecordCount(section));
    ForEachRecordStart(section, [&](const char* fields, int line) {
        records.push_back(ExchangeRecord(fields, line));
    });
    return records;
}

void ExchangeDocument::ForEachRecord(
    std::string_view section, const std::function<void(const ExchangeRecord&)>& visit) const {
    ForEachRecordStart(section,
                       [&](const char* fields, int line) { visit(ExchangeRecord(fields, line)); });
}

}  // namespace velmaro
