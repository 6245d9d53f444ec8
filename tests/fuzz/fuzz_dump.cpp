// Any bytes as a dump image: the reader must load or fail cleanly, and a
// model it loads must be written and read back whole.
#include "models/models.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Model model{};
    if (model_parse_dump(&model, data, size) != 0) {
        if (model.objects || model.materials || model.vertices || model.normals)
            abort();  // a failed load leaves the model empty
        return 0;
    }
    if (model_check_storable(&model) == 0) {
        char *image = nullptr;
        size_t length = 0;
        FILE *file = open_memstream(&image, &length);
        model_write_dump(&model, file);
        fclose(file);
        Model again{};
        if (model_parse_dump(&again, (const uint8_t *)image, length) != 0)
            abort();  // what the writer writes, the reader reads
        model_free(&again);
        free(image);
    }
    model_free(&model);
    return 0;
}
