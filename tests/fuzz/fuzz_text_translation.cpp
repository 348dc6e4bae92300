// Fuzzes the text-mode translations and the byte copies under them against
// plain replacements. The first two bytes choose the size of the output block,
// the first one where the input is cut in two for reading CRs as line ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/ByteSearch.h"
#include "textfile/TextTranslation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);

  std::vector<char> reading(source.begin(), source.end());
  std::string withoutCr;
  for (char c : source)
    if (c != '\r') withoutCr += c;
  const size_t kept = textmode::RemoveCarriageReturns(reading.data(), reading.size());
  if (std::string(reading.data(), kept) != withoutCr) std::abort();

  // CR runs read as line ends, the input cut where the first byte says.
  std::string lineEnds;
  for (size_t i = 0; i < size; ++i) {
    if (source[i] != '\r') {
      lineEnds += source[i];
      continue;
    }
    while (i + 1 < size && source[i + 1] == '\r') ++i;
    if (i + 1 < size && source[i + 1] == '\n') ++i;
    lineEnds += '\n';
  }
  const size_t cut = size ? data[0] % (size + 1) : 0;
  std::vector<char> head(source.begin(), source.begin() + cut), tail(source.begin() + cut, source.end());
  bool inRun = false;
  std::string translated(head.begin(),
                         head.begin() + textmode::TranslateCarriageReturnLineEnds(head.data(), head.size(), &inRun));
  translated.append(tail.begin(),
                    tail.begin() + textmode::TranslateCarriageReturnLineEnds(tail.data(), tail.size(), &inRun));
  if (translated != lineEnds) std::abort();

  const size_t mark = textmode::FindEndOfFileMark(source.data(), source.size());
  if (mark != std::min(source.find('\x1A'), source.size())) std::abort();

  // Copied up to and including the first LF, into a destination of exactly
  // that many bytes: nothing may be stored past them.
  const size_t lf = source.find('\n');
  const size_t through = lf == std::string::npos ? source.size() : lf + 1;
  std::vector<char> line(through);
  if (CopyThroughByte(line.data(), source.data(), source.size(), '\n') != through ||
      std::string(line.begin(), line.end()) != source.substr(0, through))
    std::abort();

  const size_t blockSize = size >= 2 ? 2 + (data[0] | data[1] << 8) % 600 : textmode::kOutputBlockSize;
  std::string expanded, expected;
  for (char c : source) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  size_t consumed = 0;
  while (consumed < source.size()) {
    std::vector<char> block(blockSize);
    const textmode::ExpandedBlock piece =
        textmode::ExpandLineFeeds(source.data() + consumed, source.size() - consumed, block.data(), blockSize);
    if (piece.consumed == 0 || piece.blockLength > blockSize) std::abort();
    // A block ends early only where the next source byte is an LF that no longer fits.
    if (piece.blockLength < blockSize && consumed + piece.consumed < source.size() &&
        (source[consumed + piece.consumed] != '\n' || piece.blockLength + 1 != blockSize))
      std::abort();
    expanded.append(block.data(), piece.blockLength);
    consumed += piece.consumed;
  }
  if (consumed != source.size() || expanded != expected) std::abort();
  return 0;
}
