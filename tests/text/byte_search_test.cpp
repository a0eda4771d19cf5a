// The block-wise byte searches against their plain definitions, with the bytes that matter
// at every offset of a block.
#include "text/byte_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace braceform::bytes {
namespace {

bool OnlyCrLfBreaksByteByByte(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n') return false;
    if (s[i] == '\r') {
      if (i + 1 == s.size() || s[i + 1] != '\n') return false;
      ++i;
    }
  }
  return true;
}

TEST(ByteSearch, OnlyCrLfBreaks) {
  std::uint32_t seed = 99;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 20000; ++round) {
    std::string s(next() % 40, 'x');
    const std::size_t breaks = next() % 6;
    for (std::size_t k = 0; k < breaks; ++k) {
      const char* pieces[] = {"\r\n", "\r\n", "\r\n", "\r", "\n", "\n\r"};
      s += pieces[next() % 6];
      s.append(next() % 20, 'y');
    }
    ASSERT_EQ(OnlyCrLfBreaks(s.data(), s.size()), OnlyCrLfBreaksByteByByte(s))
        << testing::PrintToString(s);
  }
  EXPECT_TRUE(OnlyCrLfBreaks("", 0));
  EXPECT_FALSE(OnlyCrLfBreaks(std::string(15, 'a').append("\r").data(), 16));
}

}  // namespace
}  // namespace braceform::bytes
