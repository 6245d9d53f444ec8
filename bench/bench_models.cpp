// Loading the show's models at start-up: the six scene models and the font.
#include "models/models.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_LoadShowModels(benchmark::State &state)
{
    static const char *const files[] = {"jalkapallo2", "rantapallo", "keilapallo", "tennari",
                                        "kube", "hiiri", "fontti"};
    for (auto _ : state) {
        for (const char *name : files) {
            Model model{};
            std::string path = std::string(TOBUNA_SOURCE_DIR "/data/") + name + ".dump";
            if (model_load_dump(&model, path.c_str()) != 0)
                state.SkipWithError("a model did not load");
            model_free(&model);
        }
    }
}
BENCHMARK(BM_LoadShowModels)->Unit(benchmark::kMicrosecond);
