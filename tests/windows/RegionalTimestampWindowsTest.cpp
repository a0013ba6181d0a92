// The fecha attribute's date and time in the user's regional formats: the short date and the long
// time that the user chose, whatever they are, as UTF-8.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "base/RegionalTimestamp.h"

namespace velmaro {
namespace {

constexpr std::time_t kMoment = 1710511509;  // 2024-03-15 14:05:09 UTC

// One of the user's regional formats, changed for one test and put back afterwards.
class ScopedUserFormat {
public:
    ScopedUserFormat(LCTYPE item, const wchar_t* format) : item_(item) {
        wchar_t old[128];
        const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, old, 128);
        if (length > 0) old_.assign(old, static_cast<std::size_t>(length - 1));
        changed_ = SetLocaleInfoW(LOCALE_USER_DEFAULT, item, format) != 0;
    }
    ~ScopedUserFormat() {
        if (changed_) SetLocaleInfoW(LOCALE_USER_DEFAULT, item_, old_.c_str());
    }
    ScopedUserFormat(const ScopedUserFormat&) = delete;
    ScopedUserFormat& operator=(const ScopedUserFormat&) = delete;

    bool Changed() const { return changed_; }

private:
    LCTYPE item_;
    std::wstring old_;
    bool changed_ = false;
};

// The local calendar time of kMoment through `format`: printf's, given day, month, year, hour,
// minute and second in that order (a format may leave the last ones out).
std::string Expected(const char* format) {
    const std::tm local = LocalTime(kMoment);
    char text[64];
    std::snprintf(text, sizeof text, format, local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

TEST(RegionalTimestampWindows, ShortDateBlankLongTimeAsTheUserChose) {
    struct Case {
        const wchar_t* shortDate;
        const wchar_t* longTime;
        const char* expected;  // printf's format of Expected
    };
    const Case cases[] = {
        {L"dd/MM/yyyy", L"HH:mm:ss", "%02d/%02d/%04d %02d:%02d:%02d"},
        {L"d-M-yyyy", L"H.mm.ss", "%d-%d-%04d %d.%02d.%02d"},
        // A separator beyond ASCII reaches the document as UTF-8 (U+00B7 MIDDLE DOT).
        {L"dd\u00B7MM\u00B7yyyy", L"HH'h'mm", "%02d\xC2\xB7%02d\xC2\xB7%04d %02dh%02d"},
    };
    for (const Case& c : cases) {
        ScopedUserFormat date(LOCALE_SSHORTDATE, c.shortDate);
        ScopedUserFormat time(LOCALE_STIMEFORMAT, c.longTime);
        ASSERT_TRUE(date.Changed() && time.Changed()) << "the user's formats cannot be set";
        EXPECT_EQ(RegionalTimestamp(kMoment), Expected(c.expected)) << c.expected;
    }
}

}  // namespace
}  // namespace velmaro
