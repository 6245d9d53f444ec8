// The mixer, on the audio thread: the sequencer at every step boundary and
// the per-voice mix of echo ring, note, filter, volume and pan.
//
// Frames are mixed in runs between step boundaries, voice by voice: each
// frame's sums still add the voices in voice order, so the output is the
// same bit for bit as mixing frame by frame. No allocation, lock, maths
// call or I/O happens here.
#include "synth/synth.h"

#include <climits>

// Frames mixed into the accumulators at a time.
constexpr int MIX_CHUNK = 1024;

// Number of voices the walk visits: 1, 2, ... while in use, at most 29.
static int voices_walked()
{
    int n = 1;
    while (n < SYNTH_VOICES && synth.voices[n].track[0] != LIST_END)
        n++;
    return n;
}

// Moves the voice on to its next track entry, looping or finishing.
static void track_advance(Voice *v)
{
    v->track_index++;
    if (v->track[v->track_index] == TRACK_LOOP)
        v->track_index = 0;
    if (v->track[v->track_index] == LIST_END)
        v->track_index = TRACK_FINISHED;
    v->row = 0;
}

// Carries out the event at the voice's row.
static void voice_event(Voice *v, const int32_t *pattern)
{
    int code = pattern[v->row];
    switch (code) {
    case PATTERN_ECHO1:
        v->echo_on = 1;
        v->echo_live = 1;
        break;
    case PATTERN_ECHO0:
        v->echo_on = 0;
        break;
    case PATTERN_STOP:
        v->phase = -1.0f;
        break;
    case PATTERN_VOL:
        v->row++;
        v->volume = (float)((double)pattern[v->row] * 0.01);
        break;
    case PATTERN_SLD:
        v->row++;
        v->slide = (float)((double)pattern[v->row] * 0.00001);
        break;
    case PATTERN_REST:
        break;
    default: {
        long long k = (long long)code + v->transpose.load(std::memory_order_relaxed);
        k = k < 0 ? 0 : k > SYNTH_NOTES - 1 ? SYNTH_NOTES - 1 : k;
        if (v->note_length == 0)
            break;  // a track without an instrument stays silent
        v->phase = 0.0f;
        v->rate = (float)synth.note_table[k] * (1.0f / 262.0f);
        break;
    }
    }
}

// The sequencer: song position, deferred mutes, tracks, patterns, events.
static void step_boundary(int walked)
{
    if (synth.first_step) {
        synth.first_step = 0;
    } else {
        int32_t position = synth.song_position.load(std::memory_order_relaxed);
        if (position < INT32_MAX)
            synth.song_position.store(position + 1, std::memory_order_relaxed);
    }
    for (int n = 1; n < walked; n++) {
        Voice *v = &synth.voices[n];
        v->mute.store(v->pending_mute.load(std::memory_order_relaxed), std::memory_order_relaxed);
        if (v->track_index == TRACK_FINISHED)
            continue;
        v->row++;
        if (v->track_index == TRACK_NOT_STARTED ||
            synth.patterns[v->track[v->track_index]][v->row] == LIST_END)
            track_advance(v);
        if (v->track_index == TRACK_FINISHED)
            continue;
        voice_event(v, synth.patterns[v->track[v->track_index]]);
    }
}

// One voice's mixing state for a run of frames, held in locals.
struct VoiceRun {
    Voice *voice;
    float *ring;          // echo ring, ring_length entries
    int32_t ring_length;  // 0: no echo
    int32_t write, read;  // ring entries of t mod E and (t + 1) mod E
    const float *note;
    float note_end;  // note_length as a float
    float phase, rate, state;
    float slide, filter, keep, volume, pan, pan_right;
    bool echo_on;
};

static VoiceRun run_start(Voice *v, int64_t t)
{
    VoiceRun r;
    r.voice = v;
    // A ring that was never fed holds only zeros and stays so: reading and
    // rewriting it would change nothing.
    r.ring_length = v->echo_live ? v->echo_length : 0;
    r.ring = v->echo_buffer.data();
    r.write = r.ring_length > 0 ? (int32_t)(t % r.ring_length) : 0;
    r.read = r.write + 1 == r.ring_length ? 0 : r.write + 1;
    r.note = v->note_samples.data();
    r.note_end = (float)v->note_length;
    r.phase = v->phase;
    r.rate = v->rate;
    r.state = v->filter_state;
    r.slide = v->slide;
    r.filter = v->filter;
    r.keep = 1.0f - v->filter;
    r.volume = v->volume;
    r.pan = v->pan;
    r.pan_right = 1.0f - v->pan;
    r.echo_on = v->echo_on != 0;
    return r;
}

static void run_end(const VoiceRun &r)
{
    r.voice->phase = r.phase;
    r.voice->rate = r.rate;
    r.voice->filter_state = r.state;
}

// One frame of one voice: echo ring, note, filter; the gained sample.
static inline float run_frame(VoiceRun &r)
{
    float d = 0.0f;
    if (r.ring_length > 0) {
        d = r.ring[r.read];
        r.ring[r.write] = (float)((double)d * 0.6);
    }
    float u = d;
    if (r.phase >= 0.0f) {
        u = d + r.note[(int)r.phase];
        if (r.echo_on && r.ring_length > 0)
            r.ring[r.write] = (float)((double)u * 0.2);
        float p = r.phase + r.rate;
        r.rate = r.rate + r.slide;
        r.phase = (p >= 0.0f && p < r.note_end) ? p : -1.0f;
    }
    if (r.filter != 0.0f)
        u = u * r.keep + r.state * r.filter;
    r.state = u;
    r.write = r.read;
    r.read = r.read + 1 == r.ring_length ? 0 : r.read + 1;
    return u * r.volume;
}

// Adds count frames of K voices to the accumulators, in voice order within
// each frame; t is sample_counter at the first frame. Several voices a
// loop keep their filter and phase chains running side by side.
template <int K>
static void mix_voices(Voice *const *voices, float *left, float *right, int count, int64_t t)
{
    VoiceRun r[K];
    for (int k = 0; k < K; k++)
        r[k] = run_start(voices[k], t);
    for (int i = 0; i < count; i++) {
        float l = left[i], rt = right[i];
#pragma GCC unroll 4
        for (int k = 0; k < K; k++) {
            float g = run_frame(r[k]);
            l += r[k].pan * g;
            rt += r[k].pan_right * g;
        }
        left[i] = l;
        right[i] = rt;
    }
    for (int k = 0; k < K; k++)
        run_end(r[k]);
}

// Adds count frames of every unmuted voice of the walk.
static void mix_run(int walked, float *left, float *right, int count, int64_t t)
{
    Voice *playing[SYNTH_VOICES];
    int n = 0;
    for (int voice = 1; voice < walked; voice++) {
        Voice *v = &synth.voices[voice];
        if (v->mute.load(std::memory_order_relaxed))
            continue;
        // Silent, with an empty ring and filter memory, a voice adds +0.0
        // to every frame and stays as it is until the next step boundary.
        if (v->phase < 0.0f && !v->echo_live && v->filter_state == 0.0f) {
            v->filter_state = 0.0f;
            continue;
        }
        playing[n++] = v;
    }
    int k = 0;
    for (; k + 4 <= n; k += 4)
        mix_voices<4>(playing + k, left, right, count, t);
    for (; k + 2 <= n; k += 2)
        mix_voices<2>(playing + k, left, right, count, t);
    for (; k < n; k++)
        mix_voices<1>(playing + k, left, right, count, t);
}

// One output sample: clamped to +-3.0, scaled, big-endian.
static void put_sample(uint8_t *out, float x)
{
    x = x < -3.0f ? -3.0f : x > 3.0f ? 3.0f : x;
    int16_t s = (int16_t)(int)(x * 10922.0f);
    out[0] = (uint8_t)((uint16_t)s >> 8);
    out[1] = (uint8_t)((uint16_t)s & 0xff);
}

// Frames from sample counter t to the next step boundary, t excluded.
static int64_t frames_to_boundary(int64_t t)
{
    if (synth.step_length <= 0)
        return INT64_MAX;  // no tempo: frame 0 was the only boundary
    return synth.step_length - t % synth.step_length;
}

// Whether frame t starts a step.
static bool is_boundary(int64_t t)
{
    return synth.step_length > 0 ? t % synth.step_length == 0 : t == 0;
}

void synth_mix(uint8_t *frames, int count)
{
    if (synth.pending_step_length != -1) {
        synth.step_length = synth.pending_step_length;
        synth.pending_step_length = -1;
    }
    const int walked = voices_walked();
    float left[MIX_CHUNK], right[MIX_CHUNK];
    for (int done = 0; done < count;) {
        int chunk = count - done < MIX_CHUNK ? count - done : MIX_CHUNK;
        for (int i = 0; i < chunk; i++)
            left[i] = right[i] = 0.0f;
        for (int f = 0; f < chunk;) {
            int64_t t = synth.sample_counter;
            if (is_boundary(t))
                step_boundary(walked);
            int64_t run = frames_to_boundary(t);
            int n = run < chunk - f ? (int)run : chunk - f;
            mix_run(walked, left + f, right + f, n, t);
            synth.sample_counter += n;
            f += n;
        }
        for (int i = 0; i < chunk; i++) {
            put_sample(frames + 4 * (done + i), left[i]);
            put_sample(frames + 4 * (done + i) + 2, right[i]);
        }
        done += chunk;
    }
}

void synth_skip_to_step(int32_t step)
{
    if (synth.step_length <= 0 || step <= 0)
        return;
    const int walked = voices_walked();
    for (int32_t k = 0; k < step; k++)
        step_boundary(walked);
    // The notes the skipped steps started are not heard: the song goes on
    // from the step's own events, every voice silent until then.
    for (Voice &v : synth.voices)
        v.phase = -1.0f;
    synth.sample_counter = (int64_t)step * synth.step_length;
}

void audio_callback(void *, uint8_t *stream, int length)
{
    synth_mix(stream, length / 4);
}
