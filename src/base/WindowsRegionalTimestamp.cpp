#include "base/RegionalTimestamp.h"

#include <windows.h>

#include <string>

namespace velmaro {

namespace {

constexpr int kLongestFormattedText = 128;  // characters, ample for any date or time format

SYSTEMTIME SystemTimeOf(const std::tm& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.tm_year + 1900);
    time.wMonth = static_cast<WORD>(when.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(when.tm_wday);
    time.wDay = static_cast<WORD>(when.tm_mday);
    time.wHour = static_cast<WORD>(when.tm_hour);
    time.wMinute = static_cast<WORD>(when.tm_min);
    time.wSecond = static_cast<WORD>(when.tm_sec);
    return time;
}

// `length` UTF-16 units of `wide` (the terminating zero left out) as UTF-8.
std::string Utf8Of(const wchar_t* wide, int length) {
    if (length <= 0) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
    return text;
}

std::string UserShortDate(const SYSTEMTIME& time) {
    wchar_t text[kLongestFormattedText];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr,
                                       text, kLongestFormattedText, nullptr);
    return Utf8Of(text, length - 1);
}

std::string UserLongTime(const SYSTEMTIME& time) {
    wchar_t text[kLongestFormattedText];
    const int length =
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, text, kLongestFormattedText);
    return Utf8Of(text, length - 1);
}

}  // namespace

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

std::string RegionalTimestamp(std::time_t moment) {
    const SYSTEMTIME time = SystemTimeOf(LocalTime(moment));
    return UserShortDate(time) + " " + UserLongTime(time);
}

}  // namespace velmaro
