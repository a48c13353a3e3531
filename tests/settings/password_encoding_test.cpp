#include "settings/password_encoding.h"

#include <gtest/gtest.h>

#include <random>

#include "base/text.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

bool IsAsciiLetterOrDigit(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

std::u32string Middle(const std::string& encoded) {
    std::u32string characters = DecodeUtf8(encoded);
    return characters.substr(7, characters.size() - 14);
}

TEST(PasswordEncoding, EmptyPasswordIsTheBareConstant) {
    std::u32string constant = DecodeUtf8(EncodePassword(""));
    ASSERT_EQ(constant.size(), 18u);
    int accentedCapitals = 0;
    for (char32_t c : constant) {
        if (IsAsciiLetterOrDigit(c)) continue;
        std::string letter = EncodeUtf8(std::u32string(1, c));
        EXPECT_EQ(ToUpper(letter), letter) << "not a capital";
        EXPECT_NE(ToLower(letter), letter) << "not a letter";
        ++accentedCapitals;
    }
    EXPECT_EQ(accentedCapitals, 1);

    // The decoder sees its characters 8 to 11 as an encoded password.
    const std::string& sentinel = EmptyPasswordSentinel();
    EXPECT_EQ(DecodeUtf8(sentinel).size(), 4u);
    EXPECT_EQ(DecodePassword(EncodePassword("")), sentinel);
    EXPECT_EQ(EncodePassword(sentinel),
              EncodeUtf8(DecodeUtf8(EncodePassword("x")).substr(0, 7) + constant.substr(7, 4) +
                         DecodeUtf8(EncodePassword("x")).substr(8)));
}

TEST(PasswordEncoding, MarkersAndOneCharacterPerCharacter) {
    std::u32string a = DecodeUtf8(EncodePassword("a"));
    std::u32string b = DecodeUtf8(EncodePassword("Zürich é"));
    ASSERT_EQ(a.size(), 15u);
    ASSERT_EQ(b.size(), 14u + 8u);  // accented letters are one character each
    EXPECT_EQ(a.substr(0, 7), b.substr(0, 7));
    EXPECT_EQ(a.substr(8), b.substr(b.size() - 7));
    for (char32_t c : a.substr(0, 7) + a.substr(8)) EXPECT_TRUE(IsAsciiLetterOrDigit(c));
    EXPECT_NE(a.substr(0, 7), a.substr(8));
}

TEST(PasswordEncoding, TableCharactersAreHiddenOthersPassUnchanged) {
    const std::u32string table =
        U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.-_àéèüöçñ";
    std::u32string encoded = Middle(EncodePassword(EncodeUtf8(table)));
    ASSERT_EQ(encoded.size(), table.size());
    // The substitution is a different order of the same characters.
    EXPECT_NE(encoded, table);
    std::u32string sortedTable = table, sortedEncoded = encoded;
    std::sort(sortedTable.begin(), sortedTable.end());
    std::sort(sortedEncoded.begin(), sortedEncoded.end());
    EXPECT_EQ(sortedEncoded, sortedTable);
    EXPECT_EQ(DecodePassword(EncodePassword(EncodeUtf8(table))), EncodeUtf8(table));

    const std::u32string outside = U" !\"'=;[]€ÄÖß中🙂\t";
    EXPECT_EQ(Middle(EncodePassword(EncodeUtf8(outside))), outside);
}

TEST(PasswordEncoding, DecodingTheEncodingGivesTheTextBack) {
    const std::u32string alphabet =
        U"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.-_àéèüöçñ"
        U" !#$%&'()*+,/:;<=>?@[]^`{|}~ÄÖÜßÉÈÀÇÑäöüæøåЖжΩω中文🙂\t\x01";
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> length(1, 40);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        std::u32string text;
        for (std::size_t n = length(random); n > 0; --n) text.push_back(alphabet[pick(random)]);
        std::string plain = EncodeUtf8(text);
        std::string encoded = EncodePassword(plain);
        ASSERT_EQ(DecodeUtf8(encoded).size(), text.size() + 14) << plain;
        ASSERT_EQ(DecodePassword(encoded), plain) << plain;
    }
    // Bytes that are not UTF-8 survive too.
    EXPECT_EQ(DecodePassword(EncodePassword("a\xFF\xFE"
                                            "b")),
              "a\xFF\xFE"
              "b");
}

TEST(PasswordEncoding, ValuesWithoutAPasswordDecodeToEmpty) {
    std::u32string marked = DecodeUtf8(EncodePassword("x"));
    std::u32string start = marked.substr(0, 7), end = marked.substr(8);
    EXPECT_EQ(DecodePassword(""), "");
    EXPECT_EQ(DecodePassword("abc"), "");
    EXPECT_EQ(DecodePassword("1234567890123"), "");
    EXPECT_EQ(DecodePassword("12345678901234"), "");
    EXPECT_EQ(DecodePassword(EncodeUtf8(start + end)), "");
    EXPECT_EQ(DecodePassword(EncodeUtf8(start) + EncodePassword("") + EncodeUtf8(end)), "");
    // Any fifteen characters decode to one character, markers or not.
    EXPECT_EQ(DecodeUtf8(DecodePassword("éééééééXééééééé")).size(), 1u);
}

}  // namespace
}  // namespace vendral::test
