// Cutting song text into lines and fields, and reading each line kind.
#include "synth/song_parse.h"

#include <climits>

// Names of the event codes, in code order.
const char *const event_names[SYNTH_NAMES] = {
    "c1", "C1", "d1", "D1", "e1", "f1", "F1", "g1",    "G1",    "a1",   "A1",  "b1",  "c2",
    "C2", "d2", "D2", "e2", "f2", "F2", "g2", "G2",    "a2",    "A2",   "b2",  "c3",  "C3",
    "d3", "D3", "e3", "f3", "F3", "g3", "G3", "a3",    "A3",    "b3",   "c4",  "C4",  "d4",
    "D4", "e4", "f4", "F4", "g4", "G4", "a4", "A4",    "b4",    "c5",   "C5",  "d5",  "D5",
    "e5", "f5", "F5", "g5", "G5", "a5", "A5", "b5",    "c6",    "C6",   "d6",  "D6",  "e6",
    "f6", "F6", "g6", "G6", "a6", "A6", "b6", "echo1", "echo0", "stop", "vol", "sld", "0",
};

LineCursor line_cursor(std::string_view text)
{
    return LineCursor{text, 1};
}

bool next_line(LineCursor *cursor, SongLine *line)
{
    while (!cursor->rest.empty()) {
        size_t end = cursor->rest.find('\n');
        std::string_view text = cursor->rest.substr(0, end);
        int number = cursor->number;
        if (end == std::string_view::npos) {
            cursor->rest = {};
        } else {
            cursor->rest.remove_prefix(end + 1);
            cursor->number++;
        }
        if (!text.empty()) {
            *line = SongLine{text, number};
            return true;
        }
    }
    return false;
}

LineParts split_keyword(std::string_view line)
{
    if (line.empty() || line[0] == '#')
        return {};
    size_t start = line.find_first_not_of(':');
    if (start == std::string_view::npos)
        return {};
    line.remove_prefix(start);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return LineParts{line, {}};
    return LineParts{line.substr(0, colon), line.substr(colon + 1)};
}

bool next_field(std::string_view *rest, std::string_view *field)
{
    size_t start = rest->find_first_not_of(',');
    if (start == std::string_view::npos) {
        *rest = {};
        return false;
    }
    rest->remove_prefix(start);
    size_t end = rest->find(',');
    *field = rest->substr(0, end);
    rest->remove_prefix(end == std::string_view::npos ? rest->size() : end);
    return true;
}

// atoi's white space: what isspace() accepts in the C locale.
static bool is_atoi_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int song_atoi(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && is_atoi_space(text[i]))
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        i++;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
        value = value * 10 + (text[i] - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return (int)value;
}

int keyword_number(std::string_view keyword)
{
    return song_atoi(keyword.substr(1));
}

int event_code_of(std::string_view token)
{
    for (int code = 0; code < SYNTH_NAMES - 1; code++)
        if (token == event_names[code])
            return code;
    return PATTERN_REST;
}

bool read_tempo(std::string_view rest, int *tempo)
{
    size_t start = rest.find_first_not_of(':');
    if (start == std::string_view::npos)
        return false;
    rest.remove_prefix(start);
    *tempo = song_atoi(rest.substr(0, rest.find(':')));
    return true;
}

// The waveform number of a name, -1 for none of the four.
static int waveform_of(std::string_view name)
{
    if (name == "kantti")
        return WAVE_SQUARE;
    if (name == "sini")
        return WAVE_SINE;
    if (name == "saha")
        return WAVE_SAW;
    if (name == "kohina")
        return WAVE_NOISE;
    return -1;
}

InstrumentFields read_instrument(std::string_view rest)
{
    InstrumentFields fields{};
    fields.waveform = -1;
    std::string_view field;
    if (!next_field(&rest, &field))
        return fields;
    fields.waveform = waveform_of(field);
    fields.required = 1;
    int *numbers[5] = {&fields.length[0], &fields.length[1], &fields.length[2], &fields.length[3],
                       &fields.ring};
    for (int *number : numbers) {
        if (!next_field(&rest, &field))
            return fields;
        *number = song_atoi(field);
        fields.required++;
    }
    if (next_field(&rest, &field))
        fields.sweep = song_atoi(field);
    if (next_field(&rest, &field)) {
        fields.has_pan = true;
        fields.pan = song_atoi(field);
    }
    if (next_field(&rest, &field)) {
        fields.has_filter = true;
        fields.filter = song_atoi(field);
    }
    return fields;
}

// Counts a field that does not fit the list's 99 entries.
static bool list_full(ListRead *read)
{
    if (read->entries < SYNTH_LIST_LENGTH - 1)
        return false;
    read->dropped++;
    return true;
}

ListRead read_pattern(std::string_view rest, int32_t *out)
{
    ListRead read{};
    bool full = false;  // a code with its parameter did not fit: drop the rest
    std::string_view field;
    while (next_field(&rest, &field)) {
        if (full) {
            read.dropped++;
            continue;
        }
        if (list_full(&read))
            continue;
        int code = event_code_of(field);
        if (code == PATTERN_VOL || code == PATTERN_SLD) {
            std::string_view param;
            if (!next_field(&rest, &param)) {
                read.missing_params++;
                out[read.entries++] = PATTERN_REST;
                break;
            }
            // The code and its parameter fit together or not at all.
            if (read.entries + 2 > SYNTH_LIST_LENGTH - 1) {
                read.dropped += 2;
                full = true;
                continue;
            }
            out[read.entries++] = code;
            out[read.entries++] = song_atoi(param);
            continue;
        }
        out[read.entries++] = code;
    }
    out[read.entries] = LIST_END;
    return read;
}

ListRead read_track(std::string_view rest, int32_t *out)
{
    ListRead read{};
    std::string_view field;
    while (next_field(&rest, &field)) {
        if (list_full(&read))
            continue;
        if (field == "loop") {
            out[read.entries++] = TRACK_LOOP;
            continue;
        }
        int number = song_atoi(field.substr(1));
        if (number < 0 || number >= SYNTH_PATTERNS) {
            if (read.bad_numbers++ == 0)
                read.first_bad = number;
            continue;
        }
        out[read.entries++] = number;
    }
    out[read.entries] = LIST_END;
    return read;
}

int pattern_steps(const int32_t *pattern)
{
    int steps = 0;
    for (int row = 0; row < SYNTH_LIST_LENGTH && pattern[row] != LIST_END; row++) {
        if (pattern[row] == PATTERN_VOL || pattern[row] == PATTERN_SLD)
            row++;
        steps++;
    }
    return steps;
}

bool sweep_goes_negative(int sweep, int table_length, int note_length, int *sample)
{
    if (sweep >= 0)
        return false;
    float g = (float)((double)(float)sweep * 0.001 / (double)(float)table_length);
    float p = 0.0f, s = 1.0f;
    for (int i = 0; i < note_length; i++) {
        if (p < 0.0f) {
            *sample = i;
            return true;
        }
        p += s;
        s += g;
    }
    return false;
}
