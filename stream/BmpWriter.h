// Writing BMP files: the file and info headers, the colour table and the rows.
#pragma once

#include <string>

#include "stream/BmpImage.h"

// `image` as a BMP file with a 40-byte info header and no resolution
// recorded. A colour table shorter than 2^bitCount is counted in the header;
// a full one is stored with a count of 0.
std::string WriteBmp(const BmpImage& image);
