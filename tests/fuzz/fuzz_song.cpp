// Any song text: loaded, checked and mixed for a few thousand frames,
// also across the 32-bit sample counter's limit, without reading or
// writing out of bounds.
#include "synth/synth.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Each instrument line renders up to 16 s of samples; a few kilobytes
    // of text keep one input within the fuzzer's time limit.
    if (size > 4096)
        return 0;
    std::string text((const char *)data, size);
    srand(1);
    synth_init(44100);
    synth_load_song_text(text);
    song_check(text);
    for (int v = 0; v < SYNTH_VOICES; v++)
        song_track_steps(v);

    static uint8_t frames[4096 * 4];
    synth_mix(frames, 4096);
    synth_set_transpose(1, 1 << 30);
    synth_set_transpose(2, -(1 << 30));
    synth_set_mute(3, 1, 1);
    synth_set_tempo(size > 0 ? (int)data[0] - 100 : 0);
    synth.sample_counter = 2147483647 - 1500;
    synth_mix(frames, 3000);
    return 0;
}
