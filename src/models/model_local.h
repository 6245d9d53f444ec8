// What the model files share among themselves.
#pragma once

#include "models/models.h"

#include <cstdlib>

// Sets the reason that model_last_error reports (printf-style).
void model_set_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Clears the reason after a success.
void model_clear_error();

// Releases the model and leaves it empty: how every loader fails.
int model_fail(Model *model);

// Reads a whole regular file into a new buffer with a NUL after its bytes:
// the buffer (release with free) and its length, or none with the reason
// set. Files of over 256 MiB are refused.
char *model_read_file(const char *path, size_t *length);

// A zero-filled record, or none when memory runs out.
template <typename T>
T *model_alloc()
{
    return static_cast<T *>(calloc(1, sizeof(T)));
}
