// One audio buffer of the show's song: synth_mix of 1024 frames with all 13
// of its voices playing. The callback has 1024 / 44100 s, about 23 ms.
#include "synth/synth.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

static void BM_SynthMix1024(benchmark::State &state)
{
    srand(1);
    synth_init(44100);
    if (synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt") != 0) {
        state.SkipWithError("no data/hiiri.txt");
        return;
    }
    static uint8_t frames[1024 * 4];
    for (auto _ : state) {
        synth_mix(frames, 1024);
        benchmark::DoNotOptimize(frames);
    }
    // Real-time factor: seconds of sound per second of mixing.
    state.counters["x_real_time"] = benchmark::Counter(
        (double)state.iterations() * 1024.0 / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SynthMix1024);
