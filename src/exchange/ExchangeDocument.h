#pragma once
// The Racima exchange document: loading it safely and walking its sections, records and fields.
//
// Envelope: root SERVICIO > BLOQUE_DATOS > grupo_datos[@seq=SECTION] (sections) > grupo_datos
// (records) > dato (fields, numbered from 0 among the dato children only). Several BLOQUE_DATOS
// elements, and several sections with the same seq, all contribute, in document order.
// White-space-only text, comments and processing instructions are not part of the document.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/ExchangeProlog.h"

struct _xmlDoc;
struct _xmlNode;

namespace velmaro {

// One record of a section: its dato children by position, found by walking the record's
// children (a record has a handful), so that a record costs no list of its own.
class ExchangeRecord {
public:
    explicit ExchangeRecord(_xmlNode* record) : record_(record) {}

    // Number of dato children.
    std::size_t FieldCount() const;
    // Text content of field `position` exactly as the document gives it (all text below the
    // dato element, concatenated); empty when the record has no such field.
    std::string Field(std::size_t position) const;
    // Sets texts[i] to Field(i) for every i below texts.size(), reusing the strings' storage,
    // and returns FieldCount(), in one walk of the record.
    std::size_t ReadFields(std::span<std::string> texts) const;

private:
    _xmlNode* record_;  // the record's grupo_datos element
};

// A loaded exchange document. Owns the libxml2 tree.
class ExchangeDocument {
public:
    // Loads `path` with safe parser options (no external entities, no DTD loading, no network).
    // Throws Error naming the file (and, for XML errors, the line and the parser's reason) when
    // the file is missing, unreadable, a folder, empty or not well-formed.
    static ExchangeDocument Load(const std::filesystem::path& path);

    ExchangeDocument(ExchangeDocument&&) noexcept;
    ExchangeDocument& operator=(ExchangeDocument&&) noexcept;
    ~ExchangeDocument();

    const std::filesystem::path& Path() const { return path_; }

    // True when the root is SERVICIO and it has at least one BLOQUE_DATOS child.
    bool HasEnvelope() const;
    // True when at least one grupo_datos child of a BLOQUE_DATOS has seq exactly `section`.
    bool HasSection(std::string_view section) const;
    // The records of section `section` (seq compared exactly), in document order.
    std::vector<ExchangeRecord> Records(std::string_view section) const;
    // Calls visit(record) for the records of `section` in the order Records gives them,
    // walking the document as it goes instead of listing them first.
    void ForEachRecord(std::string_view section,
                       const std::function<void(const ExchangeRecord&)>& visit) const;

    // Text content of the first child of the first BLOQUE_DATOS (its first element or non-blank
    // text), or nothing when there is no BLOQUE_DATOS or it has no such child.
    std::optional<std::string> FirstDataBlockChildText() const;

    // The underlying libxml2 document, for building the result document inside it.
    _xmlDoc* Raw() const { return doc_.get(); }

    // Gives up the document without freeing it: its memory is returned when the process ends.
    // For a process that ends right after its job, freeing millions of nodes one by one would
    // cost about what parsing them did. Afterwards this object holds no document.
    void KeepUntilProcessEnds();

private:
    struct DocDeleter {
        void operator()(_xmlDoc* doc) const;
    };
    ExchangeDocument(std::filesystem::path path, _xmlDoc* doc);

    std::filesystem::path path_;
    std::unique_ptr<_xmlDoc, DocDeleter> doc_;
};

// What `document` holds outside its root element: its XML declaration and the comments,
// processing instructions and document type before and after the root.
ExchangeProlog PrologOf(const ExchangeDocument& document);

}  // namespace velmaro
