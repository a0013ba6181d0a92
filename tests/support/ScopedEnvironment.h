#pragma once
// Environment variables set for one test, and put back as they were afterwards.

#include <stdlib.h>

#include <map>
#include <optional>
#include <string>

namespace velmaro::testing {

// Environment variables by name; nothing means unset.
using EnvironmentVariables = std::map<std::string, std::optional<std::string>>;

class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const EnvironmentVariables& values) {
        for (const auto& [name, value] : values) {
            const char* old = ::getenv(name.c_str());
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            Set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) Set(name, value);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    // The C runtime of Windows has no setenv: an empty value given to _putenv_s removes the
    // variable, which the program reads as unset either way.
    static void Set(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
        ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
#endif
    }
    EnvironmentVariables saved_;
};

}  // namespace velmaro::testing
