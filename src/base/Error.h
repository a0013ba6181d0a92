#pragma once
// The one error type of Velmaro: a failure that ends a job and is shown to the user.

#include <stdexcept>
#include <string>

namespace velmaro {

// A failure whose message is for the user: in Spanish, naming the file (or table, or record)
// and what is wrong. Only the job boundary catches it, shows the message and leaves the
// result code alone.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace velmaro
