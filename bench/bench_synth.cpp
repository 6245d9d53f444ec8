// The mixer against the plain frame-by-frame reference mixer of the tests,
// on the show's song with all 13 of its voices playing: one 1024-frame
// audio buffer each. The callback has 1024 / 44100 s, about 23 ms.
#include "synth/synth.h"
#include "synth_mix_reference.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int buffer_frames = 1024;

// A fresh synthesiser with the show's song, as the show starts it.
bool start_song()
{
    srand(1);
    synth_init(44100);
    return synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt") == 0;
}

// count frames by the reference, as synth_mix writes them.
void reference_mix(uint8_t *frames, int count)
{
    for (int i = 0; i < count; i++) {
        int left, right;
        reference_frame(&left, &right);
        frames[4 * i] = (uint8_t)((unsigned)left >> 8);
        frames[4 * i + 1] = (uint8_t)left;
        frames[4 * i + 2] = (uint8_t)((unsigned)right >> 8);
        frames[4 * i + 3] = (uint8_t)right;
    }
}

// Whether both mix the first 64 steps of the song alike, byte for byte.
bool same_output()
{
    const int count = 64 * 5292;
    std::vector<uint8_t> mixed((size_t)count * 4), reference((size_t)count * 4);
    if (!start_song())
        return false;
    synth_mix(mixed.data(), count);
    start_song();
    reference_mix(reference.data(), count);
    return mixed == reference;
}

void run(benchmark::State &state, void (*mix)(uint8_t *, int))
{
    if (!same_output()) {
        state.SkipWithError("no data/hiiri.txt, or the two mixers differ");
        return;
    }
    start_song();
    static uint8_t frames[buffer_frames * 4];
    for (auto _ : state) {
        mix(frames, buffer_frames);
        benchmark::DoNotOptimize(frames);
    }
    // Real-time factor: seconds of sound per second of mixing.
    state.counters["x_real_time"] = benchmark::Counter(
        (double)state.iterations() * buffer_frames / 44100.0, benchmark::Counter::kIsRate);
}

void BM_Mix(benchmark::State &state)
{
    run(state, synth_mix);
}
BENCHMARK(BM_Mix)->Unit(benchmark::kMicrosecond);

void BM_MixReference(benchmark::State &state)
{
    run(state, reference_mix);
}
BENCHMARK(BM_MixReference)->Unit(benchmark::kMicrosecond);

}  // namespace
