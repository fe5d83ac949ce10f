#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "cli/CodePage.h"
#include "cli/Json.h"

using namespace kelvane::cli;

TEST(CodePage, EveryByteComesBackThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  const std::string utf8 = CodePageToUtf8(all);
  const auto back = Utf8ToCodePage(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(CodePage, HighBytesAreTheirWindowsCharacters) {
  EXPECT_EQ(CodePageToUtf8("Caf\xE9"), "Caf\xC3\xA9");            // é
  EXPECT_EQ(CodePageToUtf8("\x80"), "\xE2\x82\xAC");              // €
  EXPECT_EQ(CodePageToUtf8("\x9F"), "\xC5\xB8");                  // Ÿ
  EXPECT_EQ(CodePageToUtf8("\x81"), "\xC2\x81");                  // undefined: the control of that number
  EXPECT_EQ(Utf8ToCodePage("\xE2\x80\x94 \xC3\xBC"), "\x97 \xFC");  // — ü
}

TEST(CodePage, RefusesCharactersItLacksAndTextThatIsNotUtf8) {
  for (const char* bad : {"\xE6\x97\xA5",       // a CJK character
                          "\xF0\x9F\x98\x80",   // beyond the basic plane
                          "\xC3",               // cut short
                          "\xC0\xAF",           // overlong
                          "\xED\xA0\x80",       // a surrogate
                          "\xE9t\xE9"})         // single-byte text given as UTF-8
    EXPECT_FALSE(Utf8ToCodePage(bad).has_value()) << bad;
}

TEST(JsonOutput, NumbersThatAreNotFiniteAreNullAndTheTextParsesBack) {
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(0.1f), "0.100000001");
  const std::string doc = "[" + JsonNumber(std::nan("")) + "," + JsonString("a\"b\\c\n\x01" "\xC3\xA9") + "]";
  EXPECT_EQ(doc, "[null,\"a\\\"b\\\\c\\u000a\\u0001\xC3\xA9\"]");
  auto parsed = ParseJson(doc);
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  ASSERT_EQ(parsed->array()->size(), 2u);
  EXPECT_EQ((*parsed->array())[0].kind, Json::Kind::Null);
}
