// The synthesiser: 30 voices, each playing one pre-rendered instrument note
// at a pitch from the note table, driven step by step by its track of
// patterns; the song text that fills them; the mixer on SDL's audio thread.
//
// The main thread fills `synth` (synth_init, synth_load_song) while the
// audio device is paused; once it runs, the audio thread owns every field
// except the four shared values, which are std::atomic and accessed with
// relaxed order: song_position (written by the mixer) and each voice's
// transpose, pending_mute and mute (written by the control operations).
// synth_set_volume, synth_play_note and synth_set_tempo write values the
// mixer owns: the show never calls them; only the tests (and the song
// fuzzer) call them, between mixes.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int SYNTH_VOICES = 30;          // voice numbers 0..29
constexpr int SYNTH_PATTERNS = 1000;      // pattern numbers 0..999
constexpr int SYNTH_LIST_LENGTH = 100;    // entries of a pattern or track, end marker included
constexpr int SYNTH_NOTES = 72;           // note codes 0..71, "c1".."b6"
constexpr int SYNTH_NAMES = 78;           // entries of event_names
constexpr int SYNTH_SONG_LINES = 1000;    // non-empty lines of a song that are read
constexpr int SYNTH_SEGMENT_SECONDS = 4;  // longest envelope segment, in seconds of samples

// Event codes of a pattern (apart from the director's scene events); 0..71
// are notes.
enum {
    PATTERN_ECHO1 = 72,  // echo_on = 1
    PATTERN_ECHO0 = 73,  // echo_on = 0
    PATTERN_STOP = 74,   // silence the note at once
    PATTERN_VOL = 75,    // volume = next entry x 0.01
    PATTERN_SLD = 76,    // slide = next entry x 0.00001
    PATTERN_REST = 77,   // nothing this step
};

// List markers of patterns and tracks.
enum {
    LIST_END = -2,    // ends a pattern or track
    TRACK_LOOP = -3,  // back to the track's first entry
};

// Waveform numbers of the wavetables.
enum {
    WAVE_SQUARE = 0,
    WAVE_SINE = 1,
    WAVE_SAW = 2,
    WAVE_NOISE = 3,
};

// Track progress values of track_index besides an entry index.
enum {
    TRACK_NOT_STARTED = -1,
    TRACK_FINISHED = -2,
};

struct Voice {
    float phase;                // read position in note_samples, frames; negative: silent
    float rate;                 // added to phase per output frame
    float slide;                // added to rate per output frame while sounding
    float volume;               // output gain
    float pan;                  // left share; the right channel gets 1 - pan
    float filter;               // one-pole low-pass coefficient 0..1; 0 is off
    float filter_state;         // previous output sample
    uint8_t echo_on;            // whether a sounding note feeds the echo ring
    uint8_t echo_live;          // whether the echo ring may hold a non-zero value (audio thread)
    std::atomic<uint8_t> mute;  // non-zero: left out of the mix
    std::atomic<uint8_t> pending_mute;  // mute's value from the next step boundary
    std::atomic<int32_t> transpose;     // semitones added to note events
    int32_t track[SYNTH_LIST_LENGTH];   // pattern numbers, TRACK_LOOP, ended by LIST_END
    int32_t track_index;                // current track entry or a TRACK_* value
    int32_t row;                        // current entry of the current pattern
    std::vector<float> note_samples;    // the rendered instrument note
    int32_t note_length;                // entries of note_samples
    std::vector<float> echo_buffer;     // the echo ring
    int32_t echo_length;                // entries of echo_buffer, frames; 0: no echo
};

struct Synth {
    int32_t sample_rate;          // frames per second
    int32_t table_length;         // entries of square, sine and saw: sample_rate / 262
    int32_t step_length;          // frames per step; 0 before a tempo
    int32_t pending_step_length;  // tempo change for the next buffer, -1 none
    int32_t echo_length;          // echo ring length for instruments read from now on, frames
    int32_t first_step;           // 1 until the first step boundary has passed
    int64_t sample_counter;       // frames mixed since synth_init
    std::atomic<int32_t> song_position;  // index of the step now playing
    std::vector<float> square;           // wavetables, table_length entries
    std::vector<float> sine;
    std::vector<float> saw;
    std::vector<float> noise;         // one second of noise, sample_rate entries
    int32_t note_table[SYNTH_NOTES];  // Hz by note code
    Voice voices[SYNTH_VOICES];
    int32_t patterns[SYNTH_PATTERNS][SYNTH_LIST_LENGTH];  // event codes, ended by LIST_END
    std::string song_text;  // the song file as read, blanks removed, up to a NUL byte
    int64_t
        song_nul_offset;  // byte of the song file's first NUL byte, where its text ends; -1 none
};

// The one synthesiser.
extern Synth synth;

// Names of the event codes: the 72 notes, "echo1", "echo0", "stop", "vol",
// "sld", and "0", which ends the table and is never matched.
extern const char *const event_names[SYNTH_NAMES];

// Builds the wavetables (noise from rand()) and the note table and sets
// every voice to its defaults; no voice is in use afterwards.
void synth_init(int sample_rate);
// Whether the voice number is 0..29 and the voice has a track.
bool synth_voice_in_use(int voice);
// pending_mute = value, and mute too unless deferred.
void synth_set_mute(int voice, uint8_t value, int deferred);
// Semitones added to the voice's later note events.
void synth_set_transpose(int voice, int semitones);
// The voice's output gain.
void synth_set_volume(int voice, float volume);
// Starts the voice's note at note code 0..71, without transpose.
void synth_play_note(int voice, int note);
// Asks the mixer for a new tempo, beats per minute, from its next buffer.
void synth_set_tempo(int tempo);
// Frames per step of a tempo, beats per minute (below 3 counts as 3).
int32_t synth_step_length_of(int sample_rate, int tempo);
// Step the mixer is playing, as the director reads it.
int32_t synth_song_position();

// Reads the song file into the synthesiser: 0, or -1 with errno set when it
// cannot be opened or read or is not a regular file (EISDIR for a
// directory, EINVAL for any other kind). A NUL byte ends the song text
// there; its offset is in song_nul_offset, and the load still succeeds.
int synth_load_song(const char *path);
// Loads song text already in memory, as synth_load_song does with a file's.
void synth_load_song_text(std::string text);
// Removes carriage returns and spaces in place, ending the text with a zero byte.
void strip_blanks(char *text);
// Fills the voice's allocated note_samples with the enveloped note.
void render_instrument(int attack, int decay, int sustain, int release, int ring, int sweep,
                       int voice, int waveform);

// Fills count stereo frames, left then right, signed 16-bit big-endian.
void synth_mix(uint8_t *frames, int count);
// The audio device's callback: length bytes of frames.
void audio_callback(void *userdata, uint8_t *stream, int length);
// Moves a song just loaded (nothing mixed yet) on to the start of the step,
// 0 or more, without sounding it: the sequencer carries out the events of
// every step before it, the voices are left silent, and the next mix begins
// with the step's own boundary. Without a tempo nothing moves.
void synth_skip_to_step(int32_t step);

// Opens the audio device paused, then synth_start: 0, or -1 after
// "musa load error!" when the song is missing or not a regular file.
int audio_start();
// Opens the audio device paused with the show's parameters (44100 Hz,
// signed 16-bit big-endian stereo, 1024-frame buffers) and that callback:
// SDL_OpenAudio's result, 0 or -1.
int audio_open_device(void (*callback)(void *userdata, uint8_t *stream, int length));
// Builds the synthesiser and loads "data/hiiri.txt", with no device: 0, or
// -1 after "musa load error!" when the song cannot be loaded. A NUL byte
// in the song is noted on standard error.
int synth_start();

// One breach of the song format's requirements.
struct SongProblem {
    int line;  // line of the file, from 1; 0 for the song as a whole
    std::string reason;
};

// Every breach of the song format's requirements in a song text.
std::vector<SongProblem> song_check(std::string_view text);
// Steps a track plays before it ends or loops, from the loaded synthesiser.
int song_track_steps(int voice);
