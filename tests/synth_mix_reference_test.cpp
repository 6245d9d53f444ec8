// The mixer against the plainest reading of its algorithm: frame by frame,
// voice by voice, every voice through its ring. The mixer groups voices,
// skips silent ones and rings never fed; none of that may change a bit.
#include "direction/director_tables.h"
#include "synth/synth.h"
#include "synth_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void reference_step_boundary()
{
    if (synth.first_step)
        synth.first_step = 0;
    else
        synth.song_position = synth.song_position + 1;
    for (int n = 1; n < SYNTH_VOICES && synth.voices[n].track[0] != LIST_END; n++) {
        Voice *v = &synth.voices[n];
        v->mute = v->pending_mute.load();
        if (v->track_index == TRACK_FINISHED)
            continue;
        v->row++;
        if (v->track_index == TRACK_NOT_STARTED || synth.patterns[v->track[v->track_index]][v->row] == LIST_END) {
            v->track_index++;
            if (v->track[v->track_index] == TRACK_LOOP)
                v->track_index = 0;
            if (v->track[v->track_index] == LIST_END)
                v->track_index = TRACK_FINISHED;
            v->row = 0;
        }
        if (v->track_index == TRACK_FINISHED)
            continue;
        const int32_t *pattern = synth.patterns[v->track[v->track_index]];
        int code = pattern[v->row];
        if (code == PATTERN_ECHO1)
            v->echo_on = 1;
        else if (code == PATTERN_ECHO0)
            v->echo_on = 0;
        else if (code == PATTERN_STOP)
            v->phase = -1.0f;
        else if (code == PATTERN_VOL)
            v->volume = (float)((double)pattern[++v->row] * 0.01);
        else if (code == PATTERN_SLD)
            v->slide = (float)((double)pattern[++v->row] * 0.00001);
        else if (code != PATTERN_REST && v->note_length > 0) {
            int k = code + v->transpose;
            k = k < 0 ? 0 : k > 71 ? 71 : k;
            v->phase = 0.0f;
            v->rate = (float)synth.note_table[k] * (1.0f / 262.0f);
        }
    }
}

// One frame, left and right.
void reference_frame(int *left_out, int *right_out)
{
    int64_t t = synth.sample_counter;
    if (t % synth.step_length == 0)
        reference_step_boundary();
    float left = 0.0f, right = 0.0f;
    for (int n = 1; n < SYNTH_VOICES && synth.voices[n].track[0] != LIST_END; n++) {
        Voice *v = &synth.voices[n];
        if (v->mute)
            continue;
        int64_t E = v->echo_length;
        float d = E ? v->echo_buffer[(t + 1) % E] : 0.0f;
        if (E)
            v->echo_buffer[t % E] = (float)((double)d * 0.6);
        float u = d;
        if (v->phase >= 0.0f) {
            u = d + v->note_samples[(int)v->phase];
            if (v->echo_on && E)
                v->echo_buffer[t % E] = (float)((double)u * 0.2);
            float p = v->phase + v->rate;
            v->rate = v->rate + v->slide;
            v->phase = (p >= (float)v->note_length || p < 0.0f || p != p) ? -1.0f : p;
        }
        if (v->filter != 0.0f)
            u = u * (1.0f - v->filter) + v->filter_state * v->filter;
        v->filter_state = u;
        float g = u * v->volume;
        left += v->pan * g;
        right += (1.0f - v->pan) * g;
    }
    left = left < -3.0f ? -3.0f : left > 3.0f ? 3.0f : left;
    right = right < -3.0f ? -3.0f : right > 3.0f ? 3.0f : right;
    *left_out = (int16_t)(int)(left * 10922.0f);
    *right_out = (int16_t)(int)(right * 10922.0f);
    synth.sample_counter++;
}

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
    while (first_difference < mixed.size() && mixed[first_difference] == reference[first_difference])
        first_difference++;
    EXPECT_EQ(first_difference, mixed.size()) << "first differing sample";
}

}  // namespace
