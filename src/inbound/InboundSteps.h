#pragma once
// The converter steps of the inbound conversion, in the order they must run.

#include <string>
#include <vector>

#include "inbound/InboundContext.h"

namespace velmaro {

struct InboundStep {
    const char* name;                 // for progress and summaries
    void (*run)(InboundContext&);
    std::vector<std::string> tables;  // the table files the step writes
};

// Subject names, activities, teachers, rooms, courses and groups, subject assignments,
// days/periods/frameworks: each step passes data to later ones only through the tables.
const std::vector<InboundStep>& InboundSteps();

}  // namespace velmaro
