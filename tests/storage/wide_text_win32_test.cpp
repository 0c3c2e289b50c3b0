#include "storage/wide_text.h"

#include <gtest/gtest.h>

namespace puzzle {
namespace {

// Valid text goes both ways unchanged; anything else converts to nothing,
// never to replacement characters that could name another file.
TEST(WideTextTest, ConvertsValidTextBothWaysAndRefusesEverythingElse) {
  const struct {
    std::string utf8;
    std::wstring utf16;
  } valid[] = {
      {"", L""},
      {"C:\\games\\cat.pzz", L"C:\\games\\cat.pzz"},
      {"\xd0\x9a\xd0\xbe\xd1\x82.pzz", L"\x041a\x043e\x0442.pzz"},  // Кот.pzz
      {"\xf0\x9f\x90\x88", L"\xd83d\xdc08"},                        // a cat outside the BMP: a surrogate pair
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const auto& text : valid) {
    EXPECT_EQ(WideText(text.utf8), text.utf16) << text.utf8;
    EXPECT_EQ(Utf8Text(text.utf16), text.utf8) << text.utf8;
  }

  const std::string badUtf8[] = {
      "cat\xd0.pzz",       // a lead byte without its continuation
      "\x80",              // a lone continuation byte
      "\xc0\xaf",          // an overlong '/'
      "\xed\xa0\x80",      // an encoded surrogate
      "\xf4\x90\x80\x80",  // beyond U+10FFFF
  };
  for (const std::string& text : badUtf8)
    EXPECT_EQ(WideText(text), std::nullopt) << testing::PrintToString(text);

  const std::wstring badUtf16[] = {L"cat\xd83d.pzz", L"\xdc08", std::wstring(L"\xdc08\xd83d", 2)};
  for (const std::wstring& text : badUtf16) EXPECT_EQ(Utf8Text(text), std::nullopt);
}

}  // namespace
}  // namespace puzzle
