#include "base/RegionalTimestamp.h"

#include <locale.h>
#include <wchar.h>

#include <clocale>
#include <cwchar>
#include <memory>

#include "base/Utf8Encoding.h"

namespace velmaro {
namespace {

struct LocaleDeleter {
    void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

// The LC_TIME and LC_CTYPE categories the environment names, or those of "C" when the named
// locale is not installed. LC_CTYPE lets wide-character formatting decode the locale's text.
LocaleHandle EnvironmentTimeLocale() {
    locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }
    return LocaleHandle(locale);
}

// `format` applied to `when` in `locale`, as UTF-8.
std::string FormatTime(const wchar_t* format, const std::tm& when, locale_t locale) {
    wchar_t buffer[128];
    const std::size_t length = locale == static_cast<locale_t>(0)
                                   ? std::wcsftime(buffer, std::size(buffer), format, &when)
                                   : wcsftime_l(buffer, std::size(buffer), format, &when, locale);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) AppendUtf8(text, static_cast<char32_t>(buffer[i]));
    return text;
}

}  // namespace

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

std::string RegionalTimestamp(std::time_t moment) {
    const std::tm local = LocalTime(moment);
    const LocaleHandle locale = EnvironmentTimeLocale();
    return FormatTime(L"%x", local, locale.get()) + " " + FormatTime(L"%X", local, locale.get());
}

}  // namespace velmaro
