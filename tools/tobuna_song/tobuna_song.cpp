// tobuna-song: renders, checks and describes songs for the show, with the
// show's own synthesiser and the director's arrangement rows.
#include "direction/director_tables.h"
#include "song_tool.h"
#include "synth/song_parse.h"
#include "synth/synth.h"
#include "wav_write.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int EXIT_BAD_INPUT = 1;
constexpr int EXIT_USAGE = 2;
constexpr int SAMPLE_RATE = 44100;

const char usage_text[] =
    "usage: tobuna-song render SONG.txt OUT.wav [--seconds S] [--seed N] [--row R] [--transpose "
    "K]\n"
    "       tobuna-song play SONG.txt [--row R] [--transpose K] [--seed N] [--from STEP] "
    "[--watch]\n"
    "       tobuna-song check SONG.txt\n"
    "       tobuna-song info SONG.txt\n"
    "       tobuna-song --help\n"
    "\n"
    "render     plays the song with the show's mixer into a 16-bit stereo 44100 Hz WAV file:\n"
    "           --seconds S   length, default 30\n"
    "           --seed N      seeds the noise table (default: the clock, as the show does)\n"
    "           --row R       mutes voices 1..13 as the director's arrangement row R (0..17)\n"
    "           --transpose K semitones for the voices the director transposes (0, 1, 2, 3,\n"
    "                         4, 5, 6, 8, 9, 12); the show uses 0, 4, -4 and -8\n"
    "play       plays the song through the sound device as the show does, arranged as\n"
    "           render arranges it, from step STEP (default 0), with a status line;\n"
    "           keys on a terminal: space pause, r restart, 0-9 + - arrangement row,\n"
    "           t transposition 0, 4, -4, -8, q or Escape quit; --watch reloads the\n"
    "           file when it changes and plays on from the next step\n"
    "check      reports every breach of the song format's requirements as FILE:LINE: reason\n"
    "info       tempo, step length, and each voice's instrument and track length in steps\n"
    "\n"
    "exit status: 0 done, 1 bad input (unreadable song, problems found), 2 wrong usage\n";

int usage_error(const char *message)
{
    fprintf(stderr, "tobuna-song: %s\n%s", message, usage_text);
    return EXIT_USAGE;
}

// Whole regular file into text; false with errno set when it cannot be
// opened or read, or is not a regular file (EINVAL; EISDIR for a directory).
bool read_file(const char *path, std::string *text)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    int error = fstat(fd, &status) != 0    ? errno
                : S_ISDIR(status.st_mode)  ? EISDIR
                : !S_ISREG(status.st_mode) ? EINVAL
                                           : 0;
    std::unique_ptr<FILE, int (*)(FILE *)> file(error ? nullptr : fdopen(fd, "rb"), fclose);
    if (!file) {
        close(fd);
        if (error)
            errno = error;
        return false;
    }
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text->append(chunk, got);
    return !ferror(file.get());
}

// Why a song file could not be read.
const char *read_error()
{
    return errno == EINVAL ? "not a regular file" : strerror(errno);
}

// Loads the song into the synthesiser as the show does; false after a message.
bool load(const char *path)
{
    synth_init(SAMPLE_RATE);
    if (synth_load_song(path) != 0) {
        fprintf(stderr, "tobuna-song: cannot read %s: %s\n", path, read_error());
        return false;
    }
    // The show plays such a song up to the NUL; here it is an error.
    if (synth.song_nul_offset >= 0) {
        fprintf(stderr, "tobuna-song: %s: NUL byte at offset %lld: the song ends there\n", path,
                (long long)synth.song_nul_offset);
        return false;
    }
    return true;
}

int render(int argc, char **argv)
{
    if (argc < 2)
        return usage_error("render needs SONG.txt and OUT.wav");
    const char *song = argv[0], *out = argv[1];
    double seconds = 30.0;
    unsigned seed = (unsigned)time(nullptr);
    long row = -1, transpose = 0;
    for (int i = 2; i < argc; i++) {
        if (i + 1 >= argc)
            return usage_error("an option needs a value");
        const char *option = argv[i], *value = argv[++i];
        long n;
        if (strcmp(option, "--seconds") == 0) {
            char *end;
            seconds = strtod(value, &end);
            if (end == value || *end != '\0' || !(seconds > 0.0 && seconds <= 86400.0))
                return usage_error("--seconds needs a number of seconds above 0, at most 86400");
        } else if (strcmp(option, "--seed") == 0) {
            if (!parse_int(value, 0, 4294967295L, &n))
                return usage_error("--seed needs a whole number 0..4294967295");
            seed = (unsigned)n;
        } else if (strcmp(option, "--row") == 0) {
            if (!parse_int(value, 0, ARRANGEMENT_ROWS - 1, &row))
                return usage_error("--row needs an arrangement row 0..17");
        } else if (strcmp(option, "--transpose") == 0) {
            if (!parse_int(value, -71, 71, &transpose))
                return usage_error("--transpose needs semitones -71..71");
        } else {
            return usage_error("unknown option");
        }
    }

    srand(seed);
    if (!load(song))
        return EXIT_BAD_INPUT;
    if (row >= 0)
        for (int c = 0; c < ARRANGED_VOICES; c++)
            synth_set_mute(c + 1, (uint8_t)(int)(1.0f - voice_on_table[row][c]), 0);
    for (int v : transposed_voices)
        synth_set_transpose(v, (int)transpose);

    int64_t frames = std::llround(seconds * SAMPLE_RATE);
    if (frames > WAV_MAX_FRAMES) {
        fprintf(stderr,
                "tobuna-song: %s: %.0f seconds do not fit in a WAV file, which holds at most "
                "%lld frames (%lld seconds)\n",
                out, seconds, (long long)WAV_MAX_FRAMES, (long long)(WAV_MAX_FRAMES / SAMPLE_RATE));
        return EXIT_BAD_INPUT;
    }
    WavWriter wav;
    if (!wav_open(&wav, out, SAMPLE_RATE)) {
        fprintf(stderr, "tobuna-song: cannot write %s: %s\n", out, strerror(errno));
        return EXIT_BAD_INPUT;
    }
    // Mixed a buffer at a time straight into the file.
    uint8_t buffer[1024 * 4];
    for (int64_t done = 0; done < frames && !wav.failed; done += 1024) {
        int n = frames - done < 1024 ? (int)(frames - done) : 1024;
        synth_mix(buffer, n);
        wav_write_mixed(&wav, buffer, n);
    }
    if (!wav_finish(&wav)) {
        fprintf(stderr, "tobuna-song: cannot write %s: %s\n", out, strerror(errno));
        return EXIT_BAD_INPUT;
    }
    return 0;
}

int check(int argc, char **argv)
{
    if (argc != 1)
        return usage_error("check needs one SONG.txt");
    std::string text;
    if (!read_file(argv[0], &text)) {
        fprintf(stderr, "tobuna-song: cannot read %s: %s\n", argv[0], read_error());
        return EXIT_BAD_INPUT;
    }
    std::vector<SongProblem> problems = song_check(text);
    for (const SongProblem &p : problems)
        printf("%s:%d: %s\n", argv[0], p.line, p.reason.c_str());
    return problems.empty() ? 0 : EXIT_BAD_INPUT;
}

int info(int argc, char **argv)
{
    if (argc != 1)
        return usage_error("info needs one SONG.txt");
    if (!load(argv[0]))
        return EXIT_BAD_INPUT;
    // The tempo and instrument lines as the loader read them.
    int tempo = 0;
    std::string_view instrument[SYNTH_VOICES];
    LineCursor cursor = line_cursor(synth.song_text);
    SongLine line;
    for (int count = 0; count < SYNTH_SONG_LINES && next_line(&cursor, &line); count++) {
        LineParts parts = split_keyword(line.text);
        if (parts.keyword == "bpm")
            read_tempo(parts.rest, &tempo);
        else if (!parts.keyword.empty() && parts.keyword[0] == 'i') {
            int n = keyword_number(parts.keyword);
            if (n >= 0 && n < SYNTH_VOICES)
                instrument[n] = line.text;
        }
    }
    printf("tempo %d: %d frames a step (%.3f s), echo %d frames\n", tempo, synth.step_length,
           (double)synth.step_length / SAMPLE_RATE, synth.echo_length);
    for (int v = 1; v < SYNTH_VOICES && synth_voice_in_use(v); v++) {
        const Voice &voice = synth.voices[v];
        bool loops = false;
        for (int i = 0; i < SYNTH_LIST_LENGTH && voice.track[i] != LIST_END; i++)
            loops = loops || voice.track[i] == TRACK_LOOP;
        std::string name =
            instrument[v].empty() ? std::string("no instrument") : std::string(instrument[v]);
        printf("voice %2d: %-44s note %6d samples, track %4d steps%s\n", v, name.c_str(),
               voice.note_length, song_track_steps(v), loops ? ", loops" : "");
    }
    return 0;
}

}  // namespace

bool parse_int(const char *text, long lo, long hi, long *value)
{
    char *end;
    errno = 0;
    long v = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

int song_usage_error(const char *message)
{
    return usage_error(message);
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage_error("no command");
    const char *command = argv[1];
    if (strcmp(command, "--help") == 0 || strcmp(command, "-h") == 0) {
        fputs(usage_text, stdout);
        return 0;
    }
    if (strcmp(command, "render") == 0)
        return render(argc - 2, argv + 2);
    if (strcmp(command, "play") == 0)
        return play_command(argc - 2, argv + 2);
    if (strcmp(command, "check") == 0)
        return check(argc - 2, argv + 2);
    if (strcmp(command, "info") == 0)
        return info(argc - 2, argv + 2);
    return usage_error("unknown command");
}
