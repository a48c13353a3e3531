// UTF-8 and UTF-16, as the ODBC wide calls and the automation strings see
// them: one converter for both, and no byte of a stored text lost on the way.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "vendral/automation_client.h"

namespace vendral {
namespace {

using detail::FromUtf16;
using detail::ToUtf16;

// Texts that are not UTF-8: a stray continuation byte, a byte that starts
// nothing, an overlong "/", an encoded surrogate, a cut-off sequence.
const std::string kNotUtf8[] = {"ab\x80", "\xFF" "x", "\xC0\xAF", "\xED\xA0\x80", "caf\xC3"};

TEST(TextConversionTest, ValidTextTakesTheStandardForms) {
    EXPECT_EQ(ToUtf16("Gr\xC3\xBC\xC3\x9F" "e"), u"Grüße");
    EXPECT_EQ(ToUtf16("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(FromUtf16(std::u16string({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf16(u"Grüße"), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(TextConversionTest, BytesThatAreNotUtf8ComeBackUnchangedThroughBothPaths) {
    for (const std::string& text : kNotUtf8) {
        EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
        // The automation strings take the same way.
        com::BSTR bstr = com::NewBstr(text);
        EXPECT_EQ(com::BstrText(bstr), text);
        com::SysFreeString(bstr);
    }
    // Each stray byte is one unit of its own, not the start of a character.
    EXPECT_EQ(ToUtf16("\xC0\xAF"), std::u16string({0xDCC0, 0xDCAF}));
}

TEST(TextConversionTest, ALoneSurrogateFromAClientNeverReachesUtf8) {
    // Only the units that stand for stray bytes turn back into bytes; any
    // other lone surrogate becomes the replacement character.
    EXPECT_EQ(FromUtf16(std::u16string({u'a', 0xD800, u'b'})), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(FromUtf16(std::u16string({0xDE00})), "\xEF\xBF\xBD");
    com::BSTR bstr = com::SysAllocStringLen(std::u16string(1, char16_t{0xD800}).c_str(), 1);
    EXPECT_EQ(com::BstrText(bstr), "\xEF\xBF\xBD");
    com::SysFreeString(bstr);
}

}  // namespace
}  // namespace vendral
