// Writes an RGBA8 image (top row first) to a PNG file with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace agim {

// Writes `rgba` (width * height * 4 bytes, top row first) to `path` as an 8-bit RGB PNG
// (alpha dropped: our frames are opaque). Returns false with a message naming the file in
// `error` when the size does not match or the file cannot be written.
bool write_png_rgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba,
                   std::string* error);

}  // namespace agim
