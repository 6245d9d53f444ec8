// The mixer against the plain frame-by-frame reference mixer of
// synth_mix_reference.h, bit for bit.
#include "direction/director_tables.h"
#include "synth/synth.h"
#include "synth_mix_reference.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Mixes the show's song through rows and transpositions, by the mixer or
// by the reference.
std::vector<int> play_hiiri(bool reference)
{
    srand(5);
    synth_init(44100);
    EXPECT_EQ(synth_load_song(TOBUNA_SOURCE_DIR "/data/hiiri.txt"), 0);
    const int rows[] = {0, 13, 14, 7, 17, 12};
    const int transposes[] = {0, 4, -4, -8, 0, 4};
    std::vector<int> out;
    for (int part = 0; part < 6; part++) {
        for (int c = 0; c < ARRANGED_VOICES; c++)
            synth_set_mute(c + 1, (uint8_t)(int)(1.0f - voice_on_table[rows[part]][c]), part % 2);
        for (int v : transposed_voices)
            synth_set_transpose(v, transposes[part]);
        int frames = 40 * 5292 + 517;
        if (reference) {
            for (int i = 0; i < frames; i++) {
                int l, r;
                reference_frame(&l, &r);
                out.push_back(l);
                out.push_back(r);
            }
        } else {
            std::vector<int> part_out = mix_frames(frames);
            out.insert(out.end(), part_out.begin(), part_out.end());
        }
    }
    return out;
}

TEST(SynthMixReference, SameBitsAsTheFrameByFrameMix)
{
    std::vector<int> mixed = play_hiiri(false);
    std::vector<int> reference = play_hiiri(true);
    ASSERT_EQ(mixed.size(), reference.size());
    size_t first_difference = 0;
    while (first_difference < mixed.size() &&
           mixed[first_difference] == reference[first_difference])
        first_difference++;
    EXPECT_EQ(first_difference, mixed.size()) << "first differing sample";
}

}  // namespace
