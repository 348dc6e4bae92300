// Fuzzes the text-mode translations against plain replacements.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "textfile/TextTranslation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);

  std::vector<char> reading(source.begin(), source.end());
  std::string withoutCr;
  for (char c : source)
    if (c != '\r') withoutCr += c;
  const size_t kept = textmode::RemoveCarriageReturns(reading.data(), reading.size());
  if (std::string(reading.data(), kept) != withoutCr) std::abort();

  const size_t mark = textmode::FindEndOfFileMark(source.data(), source.size());
  if (mark != std::min(source.find('\x1A'), source.size())) std::abort();

  std::string expanded, expected;
  for (char c : source) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  size_t consumed = 0;
  while (consumed < source.size()) {
    char block[textmode::kOutputBlockSize];
    const textmode::ExpandedBlock piece =
        textmode::ExpandLineFeeds(source.data() + consumed, source.size() - consumed, block);
    if (piece.consumed == 0 || piece.blockLength > textmode::kOutputBlockSize) std::abort();
    expanded.append(block, piece.blockLength);
    consumed += piece.consumed;
  }
  if (consumed != source.size() || expanded != expected) std::abort();
  return 0;
}
