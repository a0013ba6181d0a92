// The fecha attribute's date and time follow the C library's LC_TIME locale of the environment.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "base/RegionalTimestamp.h"

namespace velmaro {
namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
        tzset();
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
        tzset();
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

constexpr std::time_t kMoment = 1710511509;  // 2024-03-15 14:05:09 UTC

TEST(RegionalTimestamp, ShortDateBlankLongTimeOfTheEnvironmentLocale) {
    ScopedEnv tz("TZ", "UTC");
    struct Case {
        const char* lcAll;
        const char* expected;
    };
    const Case cases[] = {
        {"C", "03/15/24 14:05:09"},
        {"C.UTF-8", "03/15/24 14:05:09"},
        {"xx_NOWHERE.UTF-8", "03/15/24 14:05:09"},  // not installed: the C formats
    };
    for (const Case& c : cases) {
        ScopedEnv locale("LC_ALL", c.lcAll);
        EXPECT_EQ(RegionalTimestamp(kMoment), c.expected) << c.lcAll;
    }
}

TEST(RegionalTimestamp, LeavesTheProcessLocaleAlone) {
    ScopedEnv tz("TZ", "UTC");
    ScopedEnv locale("LC_ALL", "C.UTF-8");
    const std::string before = std::setlocale(LC_ALL, nullptr);
    RegionalTimestamp(kMoment);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

}  // namespace
}  // namespace velmaro
