// Reading the kick date: any text in any short date format reads as nothing
// or as the start of a day in the 32-bit range; a valid ISO date always reads
// as its own day.
#include "kick_date.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.h"

using namespace vendral::kick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    static const char* const kFormats[] = {"%m/%d/%Y", "%d.%m.%Y", "%Y-%m-%d", "%d/%m/%y",
                                           "%D",       "%F",       "%e %b %Y"};
    std::string format = input.ConsumeBool()
                             ? kFormats[input.ConsumeIntegralInRange<std::size_t>(0, 6)]
                             : input.ConsumeRandomLengthString(24);
    int year = input.ConsumeIntegralInRange(1902, 2037);
    int month = input.ConsumeIntegralInRange(1, 12);
    int day = input.ConsumeIntegralInRange(1, 28);
    std::string text = input.ConsumeRemainingBytesAsString();

    (void)DescribeDateFormat(format);
    if (std::optional<std::int32_t> seconds = ParseKickDate(text, format)) {
        FUZZ_CHECK(*seconds % 86400 == 0, Printable(text) + " in " + Printable(format));
        FUZZ_CHECK(*seconds >= DateSeconds(1901, 12, 14) && *seconds <= DateSeconds(2038, 1, 19),
                   Printable(text));
    }

    char iso[16];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
    std::optional<std::int32_t> seconds = ParseKickDate(iso, format);
    FUZZ_CHECK(seconds && *seconds == DateSeconds(year, month, day),
               std::string(iso) + " in " + Printable(format));
    // One day later is 86400 seconds later.
    FUZZ_CHECK(DateSeconds(year, month, day + 1) - DateSeconds(year, month, day) == 86400, iso);
    return 0;
}
