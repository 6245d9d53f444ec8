// Helpers of the synthesiser tests: load a song text, mix and decode frames.
#pragma once

#include "synth/synth.h"

#include <cstdlib>
#include <string>
#include <vector>

// A fresh synthesiser at 44100 Hz with the song text loaded.
inline void load_song(const std::string &text)
{
    srand(1);
    synth_init(44100);
    synth_load_song_text(text);
}

// Mixes count frames; left and right samples interleaved.
inline std::vector<int> mix_frames(int count)
{
    std::vector<uint8_t> bytes((size_t)count * 4);
    synth_mix(bytes.data(), count);
    std::vector<int> samples((size_t)count * 2);
    for (int i = 0; i < count * 2; i++)
        samples[i] = (int16_t)(uint16_t)((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    return samples;
}

// Whether every sample is 0.
inline bool all_zero(const std::vector<int> &samples)
{
    for (int s : samples)
        if (s != 0)
            return false;
    return true;
}

// A song whose voice 1 plays the pattern line given, looped, on a sine that
// holds for a whole second.
inline std::string one_voice_song(const std::string &pattern)
{
    return "bpm:125\ni1:sini,10,0,44000,10,0\n" + pattern + "\nt1:p0,loop\n";
}
