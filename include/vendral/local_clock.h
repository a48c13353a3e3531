/// @file
/// LocalClockSeconds(), the timestamps the CRM writes in its rows.
#pragma once

#include <cstdint>
#include <ctime>

namespace vendral {

/// Whole seconds since 1 January 1970 00:00 counted on the local clock, not in
/// UTC, as the CRM stamps its rows (the travel transaction log, lists).
inline std::int64_t LocalClockSeconds() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    // The local calendar time read as if it were UTC: the clock's seconds
    // shifted by the zone's offset at this moment.
#ifdef _WIN32
    localtime_s(&local, &now);
    return static_cast<std::int64_t>(_mkgmtime(&local));
#else
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(now) + local.tm_gmtoff;
#endif
}

}  // namespace vendral
