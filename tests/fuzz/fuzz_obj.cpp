// Any bytes as OBJ text, a NUL, then MTL text: the importer must import or
// fail cleanly, and an imported model that fits the dump format must write
// and read back. The MTL text serves every mtllib line, so no file is opened.
#include "model_round_trip.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t *nul = static_cast<const uint8_t *>(memchr(data, 0, size));
    size_t obj_size = nul ? (size_t)(nul - data) : size;
    std::vector<char> obj(data, data + obj_size);
    obj.push_back('\0');
    std::vector<char> mtl;
    if (nul)
        mtl.assign(nul + 1, data + size);
    mtl.push_back('\0');

    Model model{};
    if (model_parse_obj(&model, obj.data(), mtl.data(), nullptr) != 0)
        return 0;
    check_model_round_trip(&model);
    model_free(&model);
    return 0;
}
