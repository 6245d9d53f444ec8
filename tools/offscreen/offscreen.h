// An OpenGL context that needs no display, for the tools and the pixel
// tests: Mesa's EGL on its surfaceless platform, with a compatibility
// profile (display lists, the fixed-function pipeline), drawing into a
// framebuffer object of a given size. GL calls go through the same library
// as the show's window, so the renderer runs unchanged.
#pragma once

#include <cstdint>
#include <vector>

// Makes the context current with a width x height colour and depth buffer
// bound and the viewport set to it: 0, or -1 with the reason in
// offscreen_error(). Opening again resizes the buffers.
int offscreen_open(int width, int height);
// The reason the last offscreen_open failed.
const char *offscreen_error();
// The frame as RGB rows from the top.
std::vector<uint8_t> offscreen_read_rgb();
// Releases the context.
void offscreen_close();

// Writes RGB rows (from the top) as a PNG file: 0, or -1. zlib_level is
// zlib's compression level, 0..9, or -1 for its default.
int png_write_rgb(const char *path, int width, int height, const uint8_t *rgb, int zlib_level = -1);
