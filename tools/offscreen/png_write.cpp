// PNG files of rendered frames, through libpng.
#include "offscreen.h"

#include <cstdio>
#include <memory>
#include <png.h>
#include <zlib.h>

namespace {

struct FileCloser {
    void operator()(FILE *f) const
    {
        fclose(f);
    }
};

}  // namespace

int png_write_rgb(const char *path, int width, int height, const uint8_t *rgb, int zlib_level)
{
    std::unique_ptr<FILE, FileCloser> file(fopen(path, "wb"));
    if (!file)
        return -1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return -1;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return -1;
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, zlib_level);
    if (zlib_level >= 0 && zlib_level <= 1) {
        // Fast: rendered frames are runs of flat colour, which run-length
        // coding of unfiltered rows packs nearly as well as the default in
        // a fraction of the time.
        png_set_filter(png, 0, PNG_FILTER_NONE);
        png_set_compression_strategy(png, Z_RLE);
    }
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, rgb + (size_t)y * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file.release()) == 0 ? 0 : -1;
}
