// Loading the show's models at start-up, the six scene models and the
// font, against reading the same files' bytes alone.
#include "models/models.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char *const files[] = {"jalkapallo2", "rantapallo", "keilapallo", "tennari",
                             "kube",        "hiiri",      "fontti"};

std::string path_of(const char *name)
{
    return std::string(TOBUNA_SOURCE_DIR "/data/") + name + ".dump";
}

void BM_LoadShowModels(benchmark::State &state)
{
    for (auto _ : state) {
        for (const char *name : files) {
            Model model{};
            if (model_load_dump(&model, path_of(name).c_str()) != 0)
                state.SkipWithError("a model did not load");
            model_free(&model);
        }
    }
}
BENCHMARK(BM_LoadShowModels)->Unit(benchmark::kMicrosecond);

// The baseline: each file opened and read whole, nothing parsed.
void BM_ReadShowModelFiles(benchmark::State &state)
{
    std::vector<char> bytes(1 << 20);
    for (auto _ : state) {
        for (const char *name : files) {
            FILE *file = fopen(path_of(name).c_str(), "rb");
            if (!file) {
                state.SkipWithError("a model file did not open");
                break;
            }
            benchmark::DoNotOptimize(fread(bytes.data(), 1, bytes.size(), file));
            fclose(file);
        }
    }
}
BENCHMARK(BM_ReadShowModelFiles)->Unit(benchmark::kMicrosecond);

}  // namespace
