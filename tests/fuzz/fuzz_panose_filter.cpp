// Fuzzes the panose filter against the plain model. The first byte of each
// chunk of input gives the length of the next buffer, so the fuzzer explores
// where documents are split as well as what they hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "convert/PanoseFilter.h"
#include "tests/PanoseReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PanoseFilter filter;
  filter.Reset();
  PanoseReference reference;
  size_t at = 0;
  while (at < size) {
    const size_t wanted = data[at++];
    const size_t length = wanted < size - at ? wanted : size - at;
    // Exactly sized heap copies, so that AddressSanitizer sees any stray access.
    std::vector<char> buffer(data + at, data + at + length);
    buffer.push_back('\0');
    const std::string expected = reference.Filter(std::string(buffer.data(), length));
    const size_t kept = filter.FilterBuffer(buffer.data(), length, buffer.size());
    if (std::string(buffer.data(), kept) != expected || buffer[kept] != '\0' || filter.inside() != reference.inside())
      std::abort();
    at += length;
  }
  return 0;
}
