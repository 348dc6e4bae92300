// Fuzzes the BMP reader: any input must end in an image or an EInvalidGraphic,
// never in a crash or a stray read, and an image read must be written as a
// file that reads back as the same image.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "runtime/Exceptions.h"
#include "stream/BmpReader.h"
#include "stream/BmpWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BmpImage image;
  try {
    image = ReadBmp(std::span<const uint8_t>(data, size));
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  const std::string file = WriteBmp(image);
  if (ReadBmp(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(file.data()), file.size())) != image)
    __builtin_trap();
  return 0;
}
