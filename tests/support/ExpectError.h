#pragma once
// The message of the Error that a call throws, for tests of what the user is told.

#include <gtest/gtest.h>

#include <source_location>
#include <string>

#include "base/Error.h"

namespace velmaro::testing {

// Runs `call` and returns the message of the velmaro::Error it throws. When it throws none, the
// test fails at the caller's line and the message is empty.
template <typename Call>
std::string ErrorMessage(Call&& call,
                         std::source_location where = std::source_location::current()) {
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << "no Error was thrown";
    return {};
}

}  // namespace velmaro::testing
