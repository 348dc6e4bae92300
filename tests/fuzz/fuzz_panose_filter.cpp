// Fuzzes the panose filter against the plain model, two ways:
//  - buffer by buffer: the first byte of each chunk of input gives the length
//    of the next buffer, so the fuzzer explores where documents are split;
//  - as the conversion feeds it: the document cut into chunks at those
//    lengths (a chunk may end within a line or hold several), with a possible
//    marker start held back at each cut, must give what the model gives for
//    whole lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "convert/PanoseFilter.h"
#include "tests/PanoseReference.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Exactly sized heap copies, so that AddressSanitizer sees any stray access.
std::string FilterCopy(PanoseFilter& filter, const std::string& piece) {
  std::vector<char> buffer(piece.begin(), piece.end());
  buffer.push_back('\0');
  const size_t kept = filter.FilterBuffer(buffer.data(), piece.size(), buffer.size());
  Check(kept <= piece.size() && buffer[kept] == '\0');
  return std::string(buffer.data(), kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<size_t> lengths;
  std::string document;
  for (size_t at = 0; at < size;) {
    const size_t wanted = data[at++];
    const size_t length = wanted < size - at ? wanted : size - at;
    lengths.push_back(length);
    document.append(reinterpret_cast<const char*>(data + at), length);
    at += length;
  }

  // Buffer by buffer.
  PanoseFilter filter;
  filter.Reset();
  PanoseReference reference;
  size_t offset = 0;
  for (size_t length : lengths) {
    const std::string buffer = document.substr(offset, length);
    Check(FilterCopy(filter, buffer) == reference.Filter(buffer));
    Check(filter.inside() == reference.inside());
    offset += length;
  }

  // Whole lines through the model; chunks cut at the same lengths through the
  // filter with hold-back.
  PanoseReference lineReference;
  std::string expected;
  for (size_t start = 0; start < document.size();) {
    const size_t lf = document.find('\n', start);
    const size_t end = lf == std::string::npos ? document.size() : lf + 1;
    expected += lineReference.Filter(document.substr(start, end - start));
    start = end;
  }
  PanoseFilter pieceFilter;
  pieceFilter.Reset();
  std::string output, held;
  offset = 0;
  for (size_t i = 0; offset < document.size(); ++i) {
    size_t length = lengths[i % lengths.size()];
    if (length == 0) length = 1;
    const std::string piece = held + document.substr(offset, length);
    offset += length;
    const std::string filtered = FilterCopy(pieceFilter, piece);
    const size_t hold = pieceFilter.PartialMarkerAtEnd(filtered.data(), filtered.size());
    Check(hold < PanoseFilter::kOpeningMarkerLength);
    output += filtered.substr(0, filtered.size() - hold);
    held = filtered.substr(filtered.size() - hold);
  }
  output += held;
  Check(output == expected);
  return 0;
}
