// Reading BMP files: the file and info headers, the colour table and the rows.
#pragma once

#include <cstdint>
#include <span>

#include "stream/BmpImage.h"

// The message of EInvalidGraphic for bitmap data that cannot be read.
inline constexpr char kInvalidBitmapImage[] = "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";

// The image of an uncompressed BMP file of 1, 4, 8, 16, 24 or 32 bits per
// pixel with a 40-byte info header, turned bottom-up when stored top-down;
// EInvalidGraphic for anything else. Nothing is read outside `file`.
BmpImage ReadBmp(std::span<const uint8_t> file);
