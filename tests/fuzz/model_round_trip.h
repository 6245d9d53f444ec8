// What the model fuzz targets check of every model they load: if it fits
// the dump format, what the writer writes the reader reads back.
#pragma once

#include "models/models.h"

#include <cstdio>
#include <cstdlib>

inline void check_model_round_trip(const Model *model)
{
    if (model_check_storable(model) != 0)
        return;
    char *image = nullptr;
    size_t length = 0;
    FILE *file = open_memstream(&image, &length);
    model_write_dump(model, file);
    fclose(file);
    Model again{};
    if (model_parse_dump(&again, (const uint8_t *)image, length) != 0)
        abort();
    model_free(&again);
    free(image);
}
