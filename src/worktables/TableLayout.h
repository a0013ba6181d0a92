#pragma once
// The logical layout of a dBase table: its file name, fields in order, and index tags.

#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// Logical field types of the work tables and how the engine stores them.
enum class FieldKind {
    Character,  // C, `width` bytes of Windows-1252 text
    Integer,    // N(11,0)
    Float,      // N(20,4)
    Logical,    // L, 'T' or 'F'
};

struct FieldLayout {
    std::string name;  // upper case, at most 11 characters (32 in a dBase 7 table)
    FieldKind kind = FieldKind::Character;
    int width = 0;  // character fields only; the other kinds have fixed widths
};

struct TableLayout {
    std::string fileName;  // with extension, upper case: "PROFT.DBF"
    std::vector<FieldLayout> fields;
    // Production index tag (ascending, duplicates allowed) on the field of the same name.
    std::optional<std::string> indexTag;
};

}  // namespace velmaro
