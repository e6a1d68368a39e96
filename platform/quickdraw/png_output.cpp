// PNG copies of pixel maps, ports and the screen (libpng).
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/quickdraw/gworlds.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/qd_internal.h"
#include "platform/quickdraw/screen.h"

using namespace qd_internal;

namespace {

constexpr OSErr kIoErr = -36;

// Writes the pixels of the box (pixel coordinates of the map); false on any libpng or file
// error.
bool WritePNG(FILE* f, const PixMap& pm, int x0, int y0, int w, int h) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(size_t(w) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = PixelRow(pm, y0 + y) + x0;
    for (int x = 0; x < w; ++x) {
      row[3 * x] = png_byte(src[x] >> 16);
      row[3 * x + 1] = png_byte(src[x] >> 8);
      row[3 * x + 2] = png_byte(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

namespace {

OSErr SaveBox(const PixMap& pm, int x0, int y0, int x1, int y1, const char* path) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, PixMapWidth(pm));
  y1 = std::min(y1, PixMapHeight(pm));
  if (!path || !*path || !pm.baseAddr || x1 <= x0 || y1 <= y0) return paramErr;
  std::string temp = std::string(path) + ".tmp-" + std::to_string(getpid());
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return kIoErr;
  bool ok = WritePNG(f, pm, x0, y0, x1 - x0, y1 - y0);
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path) != 0) {
    std::remove(temp.c_str());
    return kIoErr;
  }
  return noErr;
}

}  // namespace

OSErr SavePixMapToPNG(PixMapHandle pmh, const char* path) {
  if (!pmh || !*pmh) return paramErr;
  const PixMap& pm = **pmh;
  return SaveBox(pm, 0, 0, PixMapWidth(pm), PixMapHeight(pm), path);
}

OSErr SavePortToPNG(CGrafPtr port, const char* path) {
  if (!IsValidPort(port)) return paramErr;
  const PixMap& pm = port->pixMap;
  const Rect& r = port->portRect;
  return SaveBox(pm, PixelX(pm, r.left), PixelY(pm, r.top), PixelX(pm, r.right), PixelY(pm, r.bottom),
                 path);
}

OSErr SaveScreenToPNG(const char* path) {
  return SavePixMapToPNG(GetGDevPixMap(GetMainDevice()), path);
}
