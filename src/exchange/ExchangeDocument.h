#pragma once
// The Racima exchange document: read once, safely, into our own model of what the jobs use,
// and walked by sections, records and fields.
//
// Envelope: root SERVICIO > BLOQUE_DATOS > grupo_datos[@seq=SECTION] (sections) > grupo_datos
// (records) > dato (fields, numbered from 0 among the dato children only). Several BLOQUE_DATOS
// elements, and several sections with the same seq, all contribute, in document order.
// White-space-only text, comments and processing instructions are not part of the document.
//
// The model keeps only the prolog, the sections with their seq, and every record's field
// texts, which lie in one block of bytes in document order: each field's text followed by a
// NUL byte (XML text never holds one), each record closed by a byte that UTF-8 never uses.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/ExchangeProlog.h"

namespace velmaro {

// One record of a section: its dato children by position. A view into its document, valid
// while the document lives (moving the document keeps it valid).
class ExchangeRecord {
public:
    // Number of dato children.
    std::size_t FieldCount() const;
    // Text content of field `position` exactly as the document gives it (all text below the
    // dato element, concatenated); empty when the record has no such field.
    std::string Field(std::size_t position) const;
    // Sets texts[i] to Field(i) for every i below texts.size(), reusing the strings' storage,
    // and returns FieldCount(), in one walk of the record.
    std::size_t ReadFields(std::span<std::string> texts) const;
    // ReadFields as views into the document's texts, valid while the document lives.
    std::size_t ReadFieldViews(std::span<std::string_view> texts) const;
    // The line of the file where the record's element begins, for messages about its values.
    int Line() const { return line_; }

private:
    friend class ExchangeDocument;
    ExchangeRecord(const char* fields, int line) : fields_(fields), line_(line) {}

    const char* fields_;  // the record's first field in its document's field texts
    int line_;
};

// A loaded exchange document.
class ExchangeDocument {
public:
    // Reads `path` once, with safe parser options (no external entities, no DTD loading, no
    // network, bounded entity expansion). Throws Error naming the file (and, for XML errors,
    // the line, the column and the parser's reason) when the file is missing, unreadable, a
    // folder, empty or not well-formed.
    static ExchangeDocument Load(const std::filesystem::path& path);

    ExchangeDocument(ExchangeDocument&&) noexcept;
    ExchangeDocument& operator=(ExchangeDocument&&) noexcept;
    ~ExchangeDocument();

    const std::filesystem::path& Path() const { return path_; }

    // The declaration and the nodes beside the root element, as the document gave them.
    const ExchangeProlog& Prolog() const { return prolog_; }

    // True when the root is SERVICIO and it has at least one BLOQUE_DATOS child.
    bool HasEnvelope() const { return hasEnvelope_; }
    // True when at least one grupo_datos child of a BLOQUE_DATOS has seq exactly `section`.
    bool HasSection(std::string_view section) const;
    // Number of records of section `section` (seq compared exactly).
    std::size_t RecordCount(std::string_view section) const;
    // The records of section `section` (seq compared exactly), in document order.
    std::vector<ExchangeRecord> Records(std::string_view section) const;
    // Calls visit(record) for the records of `section` in the order Records gives them,
    // without listing them first.
    void ForEachRecord(std::string_view section,
                       const std::function<void(const ExchangeRecord&)>& visit) const;

    // Text content of the first child of the first BLOQUE_DATOS (its first element or non-blank
    // text), or nothing when there is no BLOQUE_DATOS or it has no such child.
    std::optional<std::string> FirstDataBlockChildText() const { return firstDataBlockChildText_; }

private:
    class Builder;

    // One section element: its seq, where its records lie in fieldTexts_ and where their lines
    // begin in recordLines_.
    struct Section {
        std::string seq;
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t recordCount = 0;
        std::size_t firstRecord = 0;
    };

    explicit ExchangeDocument(std::filesystem::path path);

    // Reserves room for the field texts of the document at path_.
    void ReserveFieldTexts();

    // Calls visit(fields, line) with the first field and the line of every record of
    // `section`, in order.
    template <typename Visit>
    void ForEachRecordStart(std::string_view section, Visit visit) const;

    std::filesystem::path path_;
    ExchangeProlog prolog_;
    bool hasEnvelope_ = false;
    std::optional<std::string> firstDataBlockChildText_;
    std::vector<Section> sections_;
    std::vector<char> fieldTexts_;
    std::vector<int> recordLines_;  // the line of every record, in document order
};

}  // namespace velmaro
