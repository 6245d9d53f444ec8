// What the song loader and the song checker share: the cutting of song text
// into lines, keywords and fields, and the reading of each line kind into a
// plain record before anything is stored.
#pragma once

#include "synth/synth.h"

#include <cstdint>
#include <string_view>

// Walks the non-empty lines of blank-stripped song text.
struct LineCursor {
    std::string_view rest;  // text not walked yet
    int number;             // file line number of rest's first line, from 1
};

// One non-empty line.
struct SongLine {
    std::string_view text;
    int number;  // file line number, from 1
};

// A line cut at the ':' that ends its keyword.
struct LineParts {
    std::string_view keyword;  // empty: the line is ignored
    std::string_view rest;     // after that ':'; empty when there is none
};

// An instrument line's fields as written.
struct InstrumentFields {
    int waveform;   // WAVE_*, or -1 for a name that is none of the four
    int required;   // required fields present, 0..6
    int length[4];  // attack, decay, sustain, release, samples
    int ring;       // hundredths of the reference pitch
    int sweep;      // 0 when absent
    bool has_pan;
    int pan;  // left share in hundredths
    bool has_filter;
    int filter;  // hundredths
};

// What reading a pattern or track line met besides its entries.
struct ListRead {
    int entries;         // entries stored before the end marker
    int dropped;         // fields beyond the 99 entries a list holds
    int missing_params;  // "vol" or "sld" as the last field, stored as a rest
    int bad_numbers;     // track fields naming a number outside 0..999, left out
    int first_bad;       // the first of those numbers
};

// A cursor at the start of the text.
LineCursor line_cursor(std::string_view text);
// The next non-empty line; false at the end of the text.
bool next_line(LineCursor *cursor, SongLine *line);
// The keyword and the rest of a line; comments give an empty keyword.
LineParts split_keyword(std::string_view line);
// The next non-empty ","-separated field of rest; false when none is left.
bool next_field(std::string_view *rest, std::string_view *field);
// A decimal integer as atoi reads it, saturated to the int range.
int song_atoi(std::string_view text);
// The number after a keyword's first letter.
int keyword_number(std::string_view keyword);
// The event code of a pattern token; PATTERN_REST for any other token.
int event_code_of(std::string_view token);
// The tempo field of a "bpm" line's rest; false when there is none.
bool read_tempo(std::string_view rest, int *tempo);
// Reads an instrument line's fields.
InstrumentFields read_instrument(std::string_view rest);
// Reads a pattern line into out (at most 99 entries, then LIST_END).
ListRead read_pattern(std::string_view rest, int32_t *out);
// Reads a track line into out (at most 99 entries, then LIST_END).
ListRead read_track(std::string_view rest, int32_t *out);
// Steps a pattern takes: its entries up to the end, parameters not counted.
int pattern_steps(const int32_t *pattern);
// Whether the sweep drives the table position below 0 within the note;
// the sample where it does in *sample.
bool sweep_goes_negative(int sweep, int table_length, int note_length, int *sample);
