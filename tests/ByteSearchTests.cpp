// The byte searches and copies, at every length and place around their steps.
#include "runtime/ByteSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Fillers chosen against the word-at-a-time test: zero, high bits, the sought
// byte with its high bit set, and its neighbours.
constexpr char kFillers[] = {'a', '\0', '\x80', '\xFF', '\x8A', '\x0B', '\x09'};

TEST(ByteSearch, FindByteFindsTheFirstAtEveryLengthAndPlace) {
  for (char filler : kFillers)
    for (size_t length = 0; length <= 80; ++length)
      for (size_t at = 0; at <= length; ++at) {   // at == length: none there
        std::vector<char> bytes(length, filler);  // exactly sized, for the sanitizers
        for (size_t later = at; later < length; later += 5) bytes[later] = '\n';
        const char* found = FindByte(bytes.data(), length, '\n');
        ASSERT_EQ(found, at < length ? bytes.data() + at : nullptr) << length << " " << at << " " << int(filler);
      }
}

TEST(ByteSearch, CopiesStoreExactlyTheirBytes) {
  std::string source;
  for (int i = 0; i < 160; ++i) source += static_cast<char>('A' + i % 50);
  for (size_t count = 0; count <= 100; ++count) {
    std::string target(count + 2, '.');
    CopyBytes(target.data() + 1, source.data(), count);
    ASSERT_EQ(target, "." + source.substr(0, count) + ".") << count;
    // Moved down within one buffer, by any distance.
    for (size_t distance = 1; distance <= 40; ++distance) {
      std::string buffer = source;
      CopyBytes(buffer.data() + 10, buffer.data() + 10 + distance, count);
      ASSERT_EQ(buffer.substr(10, count), source.substr(10 + distance, count)) << count << " " << distance;
      ASSERT_EQ(buffer.substr(0, 10), source.substr(0, 10));
      ASSERT_EQ(buffer.substr(10 + count), source.substr(10 + count));
    }
  }
}

TEST(ByteSearch, CopyThroughByteStopsAfterTheByte) {
  for (size_t length = 0; length <= 100; ++length)
    for (size_t at = 0; at <= length; ++at) {  // at == length: none there
      std::string source(length, 'x');
      for (size_t later = at; later < length; later += 7) source[later] = '\n';
      const size_t through = at < length ? at + 1 : length;
      std::vector<char> target(through + 1, '.');  // one guard byte
      ASSERT_EQ(CopyThroughByte(target.data(), source.data(), length, '\n'), through) << length << " " << at;
      ASSERT_EQ(std::string(target.data(), through), source.substr(0, through));
      ASSERT_EQ(target[through], '.') << length << " " << at;
    }
}

}  // namespace
