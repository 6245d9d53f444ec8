// The song loader: tempo, instruments (each rendered once, from its last
// line, after the last line), patterns and tracks from the song text.
//
// The loader is lenient: it accepts any text (a NUL byte ends it and is
// only noted in song_nul_offset), but what would make the mixer read or
// write out of bounds never reaches it.
// Numbers outside their ranges drop their line or entry, envelope lengths
// are clamped to 0..SYNTH_SEGMENT_SECONDS seconds, the filter to 0..1, a
// tempo below 3 counts as 3, and after the last line every track loses the
// entries that name an empty pattern (song_check reports all of these).
#include "synth/song_parse.h"
#include "synth/synth.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

void strip_blanks(char *text)
{
    char *out = text;
    for (const char *in = text; *in; in++)
        if (*in != '\r' && *in != ' ')
            *out++ = *in;
    *out = '\0';
}

// Index into a table of d entries of a position truncated towards zero;
// positions below 0 wrap around from the end of the table.
static int table_index(float p, int d)
{
    if (p >= 0.0f && p < 2147483648.0f)
        return (int)p % d;
    if (!std::isfinite(p))
        return 0;
    int index = (int)std::fmod(std::trunc((double)p), (double)d);
    return index < 0 ? index + d : index;
}

void render_instrument(int attack, int decay, int sustain, int release, int ring, int sweep,
                       int voice, int waveform)
{
    Voice *v = &synth.voices[voice];
    const std::vector<float> &table = waveform == WAVE_SQUARE ? synth.square
                                      : waveform == WAVE_SINE ? synth.sine
                                      : waveform == WAVE_SAW  ? synth.saw
                                                              : synth.noise;
    int d = (int)table.size();
    if (attack == 0)
        attack = 1;
    if (release == 0)
        release = 1;
    float phi =
        ring == 0 ? 0.0f : (float)(((double)ring * 0.01 * 2.0) * M_PI / (double)synth.table_length);
    float g = (float)((double)(float)sweep * 0.001 / (double)(float)synth.table_length);
    float h = 1.0f / (float)attack;

    float p = 0.0f, s = 1.0f, e = 0.0f, a = 0.0f;
    int i = 0;
    const int segment[4] = {attack, decay, sustain, release};
    for (int seg = 0; seg < 4; seg++) {
        if (seg == 3)
            h = e / (float)release;  // the release falls from the level reached
        for (int k = 0; k < segment[seg]; k++) {
            if (i >= v->note_length)
                return;
            float sample = table[table_index(p, d)] * e;
            if (ring != 0)
                sample = (float)((double)sample * std::sin((double)a));
            v->note_samples[i] = sample;
            i++;
            p += s;
            s += g;
            a += phi;
            if (seg == 0)
                e += h;
            else if (seg == 1 || seg == 3)
                e -= h;
        }
    }
}

// An envelope length as the renderer takes it: negative counts as 0, and
// no segment is longer than SYNTH_SEGMENT_SECONDS.
static int clamp_length(int samples)
{
    int longest = synth.sample_rate * SYNTH_SEGMENT_SECONDS;
    return samples < 0 ? 0 : samples > longest ? longest : samples;
}

// Hundredths as the float the voice stores.
static float hundredths(int value)
{
    return (float)((double)(float)value * 0.01);
}

// An instrument as its last line defines it, rendered after the last line:
// a song may redefine an instrument on every line, and rendering each
// definition would cost up to 16 seconds of samples a line.
struct PendingInstrument {
    bool defined;
    int length[4];  // attack, decay, sustain, release, samples, clamped
    int ring;       // hundredths of the reference pitch
    int sweep;
    int waveform;     // WAVE_*, as carried over at the line
    int echo_length;  // frames, from the tempo in force at the line
};

// The instrument line of voice n; the waveform carries over between lines.
// Pan and filter are set at once, the rest is kept for render_pending.
static void load_instrument(int n, std::string_view rest, int *waveform, PendingInstrument *pending)
{
    if (n < 0 || n >= SYNTH_VOICES)
        return;
    Voice *v = &synth.voices[n];
    InstrumentFields f = read_instrument(rest);
    if (f.waveform >= 0)
        *waveform = f.waveform;
    PendingInstrument *p = &pending[n];
    p->defined = true;
    for (int k = 0; k < 4; k++)
        p->length[k] = clamp_length(f.length[k]);
    p->ring = f.ring;
    p->sweep = f.sweep;
    p->waveform = *waveform;
    p->echo_length = synth.echo_length;
    if (f.has_pan)
        v->pan = hundredths(f.pan);
    if (f.has_filter) {
        // Outside 0..1 the low-pass is unstable and runs away to infinity.
        float filter = hundredths(f.filter);
        v->filter = filter < 0.0f ? 0.0f : filter > 1.0f ? 1.0f : filter;
    }
}

// Gives voice n its echo ring and renders its note, as its last
// instrument line defined them.
static void render_pending(int n, const PendingInstrument &p)
{
    Voice *v = &synth.voices[n];
    v->echo_length = p.echo_length;
    v->echo_buffer.assign(v->echo_length, 0.0f);
    v->echo_live = 0;
    v->note_length = p.length[0] + p.length[1] + p.length[2] + p.length[3] + 1;
    v->note_samples.assign(v->note_length, 0.0f);
    render_instrument(p.length[0], p.length[1], p.length[2], p.length[3], p.ring, p.sweep, n,
                      p.waveform);
}

// Keeps of a track only what the mixer can play: patterns with at least
// one event, and a loop marker after the first of them, which ends the
// track. A track left without a pattern is finished from the start: its
// voice stays in use, so the voices after it are still heard, but silent.
static void settle_track(Voice *v)
{
    int kept = 0;
    for (int i = 0; i < SYNTH_LIST_LENGTH && v->track[i] != LIST_END; i++) {
        int entry = v->track[i];
        if (entry == TRACK_LOOP) {
            if (kept == 0)
                continue;
            v->track[kept++] = TRACK_LOOP;
            break;
        }
        if (synth.patterns[entry][0] != LIST_END)
            v->track[kept++] = entry;
    }
    if (kept == 0) {
        v->track_index = TRACK_FINISHED;
        return;
    }
    v->track[kept] = LIST_END;
}

void synth_load_song_text(std::string text)
{
    size_t nul = text.find('\0');
    synth.song_nul_offset = nul == std::string::npos ? -1 : (int64_t)nul;
    synth.song_text = std::move(text);
    strip_blanks(synth.song_text.data());
    synth.song_text.resize(std::char_traits<char>::length(synth.song_text.c_str()));

    int waveform = WAVE_SQUARE;  // until an instrument line names one
    PendingInstrument pending[SYNTH_VOICES] = {};
    LineCursor cursor = line_cursor(synth.song_text);
    SongLine line;
    for (int count = 0; count < SYNTH_SONG_LINES && next_line(&cursor, &line); count++) {
        LineParts parts = split_keyword(line.text);
        if (parts.keyword.empty())
            continue;
        if (parts.keyword == "bpm") {
            int tempo;
            if (read_tempo(parts.rest, &tempo)) {
                synth.step_length = synth_step_length_of(synth.sample_rate, tempo);
                synth.echo_length = 3 * synth.step_length;
            }
            continue;
        }
        int n = keyword_number(parts.keyword);
        switch (parts.keyword[0]) {
        case 'i':
            load_instrument(n, parts.rest, &waveform, pending);
            break;
        case 'p':
            if (n >= 0 && n < SYNTH_PATTERNS)
                read_pattern(parts.rest, synth.patterns[n]);
            break;
        case 't':
            if (n >= 0 && n < SYNTH_VOICES)
                read_track(parts.rest, synth.voices[n].track);
            break;
        }
    }
    for (int n = 0; n < SYNTH_VOICES; n++)
        if (pending[n].defined)
            render_pending(n, pending[n]);
    for (Voice &v : synth.voices)
        if (v.track[0] != LIST_END)
            settle_track(&v);
}

int synth_load_song(const char *path)
{
    // Opened without blocking, so that a FIFO in the song's place is
    // refused rather than waited on.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status;
    int error = fstat(fd, &status) != 0    ? errno
                : S_ISDIR(status.st_mode)  ? EISDIR
                : !S_ISREG(status.st_mode) ? EINVAL
                                           : 0;
    if (error != 0) {
        close(fd);
        errno = error;
        return -1;
    }
    std::unique_ptr<FILE, int (*)(FILE *)> file(fdopen(fd, "rb"), fclose);
    if (!file) {
        close(fd);
        return -1;
    }
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text.append(chunk, got);
    if (ferror(file.get()))
        return -1;
    synth_load_song_text(std::move(text));
    return 0;
}

int song_track_steps(int voice)
{
    if (!synth_voice_in_use(voice) || synth.voices[voice].track_index == TRACK_FINISHED)
        return 0;
    const Voice &v = synth.voices[voice];
    int steps = 0;
    for (int i = 0; i < SYNTH_LIST_LENGTH && v.track[i] >= 0; i++)
        steps += pattern_steps(synth.patterns[v.track[i]]);
    return steps;
}
