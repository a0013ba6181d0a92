#pragma once
// The date and time of the result document's fecha attribute, in the user's regional formats,
// and the local calendar time it is made from.

#include <ctime>
#include <string>

namespace velmaro {

// `moment` as the user's short date, one blank, and the user's long time. On POSIX systems the
// formats are those of the C library's LC_TIME locale named by the environment (LC_ALL,
// LC_TIME, LANG: strftime's %x and %X), read without touching the process's global locale; an
// environment naming a locale that is not installed falls back to the "C" formats. On Windows
// they are the short date and the long time of the user's regional settings. The text is UTF-8
// whatever the locale's own character set.
std::string RegionalTimestamp(std::time_t moment);

// `moment` as calendar time in the user's time zone.
std::tm LocalTime(std::time_t moment);

}  // namespace velmaro
