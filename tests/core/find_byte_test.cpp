// Finding one byte 16 at a time must answer exactly as memchr: the first
// occurrence, at every place relative to the blocks, and never a byte beyond
// the range (the buffer ends right after it, so ASan sees any over-read).

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "searchlist/find_byte.h"

namespace filvex {
namespace {

TEST(FindByte, AnswersAsMemchrAtEveryPlace) {
  struct Case {
    const char* what;
    char wanted;
    char filler;
  };
  const Case cases[] = {
      {"line end among letters", '\n', 'a'},
      {"CR among line ends", '\r', '\n'},
      {"a lead byte among trail bytes", '\x95', '\x5C'},
      {"a byte with the high bit among others", '\xFF', '\xFE'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Lengths around one, two and three blocks; the wanted byte nowhere, at
    // each place, and twice (the first one counts).
    for (size_t n = 0; n <= 50; ++n) {
      for (size_t at = 0; at <= n; ++at) {
        for (bool twice : {false, true}) {
          std::unique_ptr<char[]> buffer(new char[n ? n : 1]);
          std::memset(buffer.get(), c.filler, n);
          if (at < n) buffer[at] = c.wanted;
          if (twice && at + 7 < n) buffer[at + 7] = c.wanted;
          const char* expected = static_cast<const char*>(std::memchr(buffer.get(), c.wanted, n));
          ASSERT_EQ(FindByte(buffer.get(), c.wanted, n), expected)
              << "length " << n << ", at " << at << (twice ? ", twice" : "");
        }
      }
    }
  }
}

TEST(FindByte, StartsAtAnyAlignment) {
  // The same text looked at from every offset into a block.
  const std::string text = std::string(40, 'x') + "\r\n" + std::string(20, 'y');
  for (size_t offset = 0; offset < 17; ++offset) {
    const char* p = text.data() + offset;
    const size_t n = text.size() - offset;
    EXPECT_EQ(FindByte(p, '\n', n), text.data() + 41) << offset;
    EXPECT_EQ(FindByte(p, '\r', n), text.data() + 40) << offset;
    EXPECT_EQ(FindByte(p, 'z', n), nullptr) << offset;
  }
}

}  // namespace
}  // namespace filvex
