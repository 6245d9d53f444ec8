// Any bytes as a dump image: the reader must load or fail cleanly, and a
// model it loads must be written and read back whole.
#include "model_round_trip.h"

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
    check_model_round_trip(&model);
    model_free(&model);
    return 0;
}
