#pragma once
// The layouts of every work table the inbound conversion creates, in one place.

#include <vector>

#include "worktables/TableLayout.h"

namespace velmaro::layouts {

extern const TableLayout ASIGNOMT;
extern const TableLayout ASIGNOMT2;
extern const TableLayout PROFT;
extern const TableLayout AULAT;
extern const TableLayout CURSOST;
extern const TableLayout GRUPOST;
extern const TableLayout ASIGT;
extern const TableLayout DIASHORAST;
extern const TableLayout DIASHORAST2;  // DIASHORAST's fields plus ORDEN, with the index tag ORDEN
extern const TableLayout PERIODOS;

// The reference table of course levels that ships beside the executables. Not a work table:
// it is written as a dBase 7 table, whose field names may be longer than 11 characters.
extern const TableLayout NIVELLARI;

// All of the above but NIVELLARI, in the order the inbound conversion first creates them.
const std::vector<const TableLayout*>& AllWorkTables();

}  // namespace velmaro::layouts
