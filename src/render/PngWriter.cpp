#include "render/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace agim {
namespace {

// libpng reports errors by longjmp; this function keeps only plain locals so that the jump
// skips no destructor. Returns an empty message on success.
const char* write_rows(std::FILE* file, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return "libpng could not create its writer";
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return "libpng could not create its info record";
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return "libpng failed while writing";
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return "";
}

}  // namespace

bool write_png_rgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba,
                   std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    return false;
  };
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    return fail("image size " + std::to_string(width) + "x" + std::to_string(height) +
                " does not match its " + std::to_string(rgba.size()) + " bytes of RGBA pixels");
  }
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (std::size_t i = 0, n = rgb.size() / 3; i < n; ++i) {
    rgb[3 * i] = rgba[4 * i];
    rgb[3 * i + 1] = rgba[4 * i + 1];
    rgb[3 * i + 2] = rgba[4 * i + 2];
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = rgb.data() + static_cast<std::size_t>(y) * width * 3;

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return fail(std::string("cannot open for writing: ") + std::strerror(errno));
  const char* message = write_rows(file, width, height, rows.data());
  const bool closed = std::fclose(file) == 0;
  if (*message) return fail(message);
  if (!closed) return fail("could not finish writing the file");
  return true;
}

}  // namespace agim
