#pragma once
// The subject-name step: ASIGNOMT.DBF (one row per distinct subject name) and ASIGNOMT2.DBF
// (one row per pair of Racima subject key and course key) from the MATERIAS section.

#include <string>
#include <string_view>

#include "inbound/InboundContext.h"

namespace velmaro {

// The two codes a subject name gives before uniqueness: the subject code (at most ten
// characters) and the long code (uncut; the table keeps its first ten characters).
struct SubjectNameCodes {
    std::string code;
    std::string longCode;
};

// Derives the subject code and the long code from a trimmed, non-empty subject name.
SubjectNameCodes DeriveSubjectNameCodes(std::string_view name);

// Rebuilds ASIGNOMT.DBF and ASIGNOMT2.DBF from MATERIAS, filling the subject-name lists of
// `context`. Records without a name (fewer than three fields, or a blank name) are skipped.
void RunSubjectNameStep(InboundContext& context);

}  // namespace velmaro
