// The plainest reading of the mixer's algorithm: frame by frame, voice by
// voice, every voice through its ring. The mixer groups voices, skips silent
// ones and rings never fed; none of that may change a bit, which the tests
// check against this, and the benchmarks time the mixer against it.
#pragma once

#include "synth/synth.h"

#include <cstdint>

// The mixer's work at a step boundary: the song position, deferred mutes,
// and each voice's next pattern entry.
inline void reference_step_boundary()
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
        if (v->track_index == TRACK_NOT_STARTED ||
            synth.patterns[v->track[v->track_index]][v->row] == LIST_END) {
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

// Mixes one frame, left and right, as synth_mix would write it.
inline void reference_frame(int *left_out, int *right_out)
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
