// Reading the associate and the command line of prodwell: any text reads as a
// number or is refused with the errors the program reports; a plain decimal
// integer in range always reads as itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "associate_text.h"
#include "command_line.h"
#include "fuzz_check.h"

using namespace vendral::kick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::int32_t number = input.ConsumeIntegral<std::int32_t>();
    std::string text = input.ConsumeRandomLengthString(64);

    try {
        AssociateText read = ParseAssociateText(text);
        if (!read.StartsWithNumber) FUZZ_CHECK(read.AssociateID == 0, Printable(text));
    } catch (const std::out_of_range&) {
        // A number beyond 32 bits: the program reports it and stops.
    }
    AssociateText plain = ParseAssociateText(std::to_string(number));
    FUZZ_CHECK(plain.StartsWithNumber && plain.AssociateID == number, std::to_string(number));

    CommandLine given = ParseCommandLine({"--associate", std::to_string(number)});
    FUZZ_CHECK(given.AssociateText == std::to_string(number), std::to_string(number));

    std::vector<std::string> args;
    while (input.remaining_bytes() > 0 && args.size() < 8)
        args.push_back(input.ConsumeRandomLengthString(32));
    try {
        (void)ParseCommandLine(args);
    } catch (const CommandLineError&) {
        // An option that cannot be read: exit status 2.
    }
    return 0;
}
