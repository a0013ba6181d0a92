#pragma once
// Environment variables set for one test, and put back as they were afterwards.

#include <stdlib.h>

#ifdef _WIN32
#include "support/WindowsCommandLine.h"
#endif

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
            saved_[name] = Get(name);
            Set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) Set(name, value);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    // Names and values are UTF-8; Windows reads and sets them wide, so that every character of a
    // value reaches the program (and the programs it starts) whole. The C runtime of Windows has
    // no setenv: an empty value given to _wputenv_s removes the variable, which the program
    // reads as unset either way.
#ifdef _WIN32
    static std::optional<std::string> Get(const std::string& name) {
        const wchar_t* old = ::_wgetenv(Wide(name).c_str());
        if (old == nullptr) return std::nullopt;
        return Utf8(old);
    }
    static void Set(const std::string& name, const std::optional<std::string>& value) {
        ::_wputenv_s(Wide(name).c_str(), value ? Wide(*value).c_str() : L"");
    }
#else
    static std::optional<std::string> Get(const std::string& name) {
        const char* old = ::getenv(name.c_str());
        return old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }
    static void Set(const std::string& name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
#endif
    EnvironmentVariables saved_;
};

}  // namespace velmaro::testing
