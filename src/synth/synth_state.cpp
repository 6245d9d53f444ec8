// The synthesiser's state: wavetables, note table, voice defaults and the
// control operations the main thread steers voices by.
#include "synth/synth.h"

#include <cmath>
#include <cstdlib>

Synth synth;

// Top octave of the note table, "c6".."b6", Hz; the lower octaves halve it.
static constexpr int32_t top_octave[12] = {1047, 1109, 1175, 1245, 1319, 1397,
                                           1480, 1568, 1661, 1760, 1864, 1976};

void synth_init(int sample_rate)
{
    synth.table_length = sample_rate / 262;
    synth.sample_counter = 0;
    synth.first_step = 1;
    synth.sample_rate = sample_rate;
    synth.pending_step_length = -1;
    synth.song_position.store(0, std::memory_order_relaxed);
    synth.step_length = 0;
    synth.echo_length = 0;

    for (int s = 0; s < 12; s++)
        synth.note_table[60 + s] = top_octave[s];
    for (int block = 48; block >= 0; block -= 12)
        for (int s = 0; s < 12; s++)
            synth.note_table[block + s] = synth.note_table[block + s + 12] / 2;

    int n = synth.table_length;
    synth.square.assign(n, 0.0f);
    synth.sine.assign(n, 0.0f);
    synth.saw.assign(n, 0.0f);
    for (int j = 0; j < n; j++) {
        synth.square[j] = j < n / 2 ? -1.0f : 1.0f;
        synth.sine[j] = (float)std::sin(2.0 * M_PI * (double)j / (double)n);
        synth.saw[j] = (float)(std::fmod(2.0 * (double)j / (double)n + 1.0, 2.0) - 1.0);
    }
    synth.noise.assign(sample_rate, 0.0f);
    for (int j = 0; j < sample_rate; j++)
        synth.noise[j] = (float)(rand() % 2000 - 1000) * 0.001f;

    for (int i = 0; i < SYNTH_VOICES; i++) {
        Voice *v = &synth.voices[i];
        v->phase = -1.0f;
        v->rate = 0.0f;
        v->track_index = TRACK_NOT_STARTED;
        v->row = 0;
        v->echo_on = 0;
        v->echo_live = 0;
        v->pan = (i % 2 == 0) ? 0.75f : 0.25f;
        v->pending_mute.store(0, std::memory_order_relaxed);
        v->mute.store(0, std::memory_order_relaxed);
        v->transpose.store(0, std::memory_order_relaxed);
        v->filter = 0.0f;
        v->volume = 1.0f;
        v->filter_state = 0.0f;
        v->slide = 0.0f;
        v->track[0] = LIST_END;
        v->note_samples.clear();
        v->note_length = 0;
        v->echo_buffer.clear();
        v->echo_length = 0;
    }
    // An undefined pattern is an empty one.
    for (auto &pattern : synth.patterns)
        pattern[0] = LIST_END;
    synth.song_text.clear();
    synth.song_nul_offset = -1;
}

bool synth_voice_in_use(int voice)
{
    return voice >= 0 && voice < SYNTH_VOICES && synth.voices[voice].track[0] != LIST_END;
}

void synth_set_mute(int voice, uint8_t value, int deferred)
{
    if (!synth_voice_in_use(voice))
        return;
    synth.voices[voice].pending_mute.store(value, std::memory_order_relaxed);
    if (!deferred)
        synth.voices[voice].mute.store(value, std::memory_order_relaxed);
}

void synth_set_transpose(int voice, int semitones)
{
    if (synth_voice_in_use(voice))
        synth.voices[voice].transpose.store(semitones, std::memory_order_relaxed);
}

void synth_set_volume(int voice, float volume)
{
    if (synth_voice_in_use(voice))
        synth.voices[voice].volume = volume;
}

void synth_play_note(int voice, int note)
{
    if (!synth_voice_in_use(voice) || note < 0 || note >= SYNTH_NOTES)
        return;
    Voice *v = &synth.voices[voice];
    if (v->note_length == 0)
        return;  // no instrument: the voice stays silent
    v->phase = 0.0f;
    v->rate = (float)synth.note_table[note] * (1.0f / 262.0f);
}

int32_t synth_step_length_of(int sample_rate, int tempo)
{
    // The divisor (tempo x 10) / 25 is 0 below 3; 64-bit against overflow,
    // and at least one frame a step for absurdly fast tempos.
    long long divisor = ((long long)(tempo < 3 ? 3 : tempo) * 10) / 25;
    long long length = (long long)sample_rate * 6 / divisor;
    return (int32_t)(length < 1 ? 1 : length);
}

void synth_set_tempo(int tempo)
{
    synth.pending_step_length = synth_step_length_of(synth.sample_rate, tempo);
}

int32_t synth_song_position()
{
    return synth.song_position.load(std::memory_order_relaxed);
}
