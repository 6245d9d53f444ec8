// The song checker: every breach of what the song format requires and the
// loader does not verify, with the line it is on.
#include "synth/song_parse.h"
#include "synth/synth.h"

#include <algorithm>
#include <string>

namespace {

// What the checker gathers in its pass over the lines.
struct CheckState {
    std::vector<SongProblem> problems;
    int tempo = 0;
    int tempo_line = 0;       // line of the last tempo line with a number, 0 none
    int instrument_line = 0;  // line of the first instrument line, 0 none
    bool instrument[SYNTH_VOICES] = {};
    int track_line[SYNTH_VOICES] = {};  // line of the voice's last track line, 0 none
    int32_t track[SYNTH_VOICES][SYNTH_LIST_LENGTH] = {};
    bool pattern_defined[SYNTH_PATTERNS] = {};
    int32_t pattern[SYNTH_LIST_LENGTH];  // scratch for reading a pattern
};

void report(CheckState *c, int line, std::string reason)
{
    c->problems.push_back(SongProblem{line, std::move(reason)});
}

void check_list(CheckState *c, int line, const ListRead &read, const char *kind)
{
    if (read.dropped > 0)
        report(c, line,
               std::string(kind) + " holds more than 99 entries; " + std::to_string(read.dropped) +
                   " left out");
    if (read.missing_params > 0)
        report(c, line, "\"vol\" or \"sld\" without its parameter; played as a rest");
    if (read.bad_numbers > 0)
        report(c, line,
               "pattern number " + std::to_string(read.first_bad) + " outside 0..999; left out");
}

void check_instrument(CheckState *c, int line, int n, std::string_view rest)
{
    if (c->instrument_line == 0)
        c->instrument_line = line;
    if (n < 0 || n >= SYNTH_VOICES) {
        report(c, line, "instrument number " + std::to_string(n) + " outside 0..29; line ignored");
        return;
    }
    c->instrument[n] = true;
    if (c->tempo_line == 0)
        report(c, line, "instrument before any tempo line: it has no echo");
    InstrumentFields f = read_instrument(rest);
    if (f.required < 6)
        report(c, line,
               "instrument has " + std::to_string(f.required) +
                   " of its 6 required fields; the missing ones read as 0");
    static const char *const names[4] = {"attack", "decay", "sustain", "release"};
    int longest = 44100 * SYNTH_SEGMENT_SECONDS;
    int note_length = 1;
    for (int k = 0; k < 4; k++) {
        int length = f.length[k];
        if (length < 0 || length > longest)
            report(c, line,
                   std::string(names[k]) + " " + std::to_string(length) + " outside 0.." +
                       std::to_string(longest) + "; clamped");
        note_length += length < 0 ? 0 : length > longest ? longest : length;
    }
    if (f.has_filter && (f.filter < 0 || f.filter > 100))
        report(c, line, "filter " + std::to_string(f.filter) + " outside 0..100; clamped");
    int sample;
    if (sweep_goes_negative(f.sweep, 44100 / 262, note_length, &sample))
        report(c, line,
               "sweep " + std::to_string(f.sweep) +
                   " drives the table position below 0 at sample " + std::to_string(sample));
}

void check_line(CheckState *c, const SongLine &line)
{
    LineParts parts = split_keyword(line.text);
    if (parts.keyword.empty())
        return;
    if (parts.keyword == "bpm") {
        int tempo;
        if (!read_tempo(parts.rest, &tempo)) {
            report(c, line.number, "tempo line without a tempo; ignored");
            return;
        }
        if (c->instrument_line != 0)
            report(c, line.number,
                   "tempo line after the instrument line " + std::to_string(c->instrument_line));
        c->tempo = tempo;
        c->tempo_line = line.number;
        return;
    }
    int n = keyword_number(parts.keyword);
    switch (parts.keyword[0]) {
    case 'i':
        check_instrument(c, line.number, n, parts.rest);
        break;
    case 'p':
        if (n < 0 || n >= SYNTH_PATTERNS) {
            report(c, line.number,
                   "pattern number " + std::to_string(n) + " outside 0..999; line ignored");
            return;
        }
        check_list(c, line.number, read_pattern(parts.rest, c->pattern), "pattern");
        c->pattern_defined[n] = c->pattern[0] != LIST_END;
        break;
    case 't':
        if (n < 0 || n >= SYNTH_VOICES) {
            report(c, line.number,
                   "track number " + std::to_string(n) + " outside 0..29; line ignored");
            return;
        }
        check_list(c, line.number, read_track(parts.rest, c->track[n]), "track");
        c->track_line[n] = line.number;
        break;
    }
}

// What can only be judged once every line has been read.
void check_song(CheckState *c)
{
    if (c->tempo_line == 0)
        report(c, 0, "no tempo line");
    else if (c->tempo < 3)
        report(c, c->tempo_line, "tempo " + std::to_string(c->tempo) + " below 3; played as 3");

    int first_gap = 0;  // first voice from 1 without a track: the mixer stops there
    for (int v = 1; v < SYNTH_VOICES && first_gap == 0; v++)
        if (c->track_line[v] == 0 || c->track[v][0] == LIST_END)
            first_gap = v;
    for (int v = 0; v < SYNTH_VOICES; v++) {
        int line = c->track_line[v];
        if (line == 0)
            continue;
        const int32_t *track = c->track[v];
        if (track[0] == LIST_END) {
            report(c, line,
                   "track " + std::to_string(v) + " without entries: no voice after it is heard");
            continue;
        }
        if (v == 0)
            report(c, line, "track 0 is never heard");
        else if (first_gap != 0 && v > first_gap)
            report(c, line,
                   "track " + std::to_string(v) + " is not heard: there is no track " +
                       std::to_string(first_gap));
        if (!c->instrument[v])
            report(c, line, "track " + std::to_string(v) + " has no instrument line; it is silent");
        if (track[0] == TRACK_LOOP)
            report(c, line, "track starts with \"loop\"");
        for (int i = 0; i < SYNTH_LIST_LENGTH && track[i] != LIST_END; i++)
            if (track[i] >= 0 && !c->pattern_defined[track[i]])
                report(c, line,
                       "track names pattern " + std::to_string(track[i]) +
                           ", which holds no event; left out");
    }
}

}  // namespace

std::vector<SongProblem> song_check(std::string_view text)
{
    std::string stripped(text);
    strip_blanks(stripped.data());
    stripped.resize(std::char_traits<char>::length(stripped.c_str()));

    CheckState c;
    LineCursor cursor = line_cursor(stripped);
    SongLine line;
    int count = 0;
    while (next_line(&cursor, &line)) {
        if (++count > SYNTH_SONG_LINES) {
            report(&c, line.number,
                   "beyond the 1000th non-empty line: this and what follows is not read");
            break;
        }
        check_line(&c, line);
    }
    check_song(&c);
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        report(&c, 1 + (int)std::count(text.begin(), text.begin() + (long)nul, '\n'),
               "NUL byte at offset " + std::to_string(nul) + ": the song ends there");
    std::stable_sort(c.problems.begin(), c.problems.end(),
                     [](const SongProblem &a, const SongProblem &b) { return a.line < b.line; });
    return c.problems;
}
