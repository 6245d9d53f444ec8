// tobuna-song play: the song through the sound device with the show's mixer
// and audio parameters, arranged as the director arranges it; a status line,
// keys on a terminal, and with --watch a reload whenever the file changes.
//
// The audio thread runs the show's mixer on `synth`. The main thread touches
// `synth` only while it holds the audio lock: to read the status, to change
// the arrangement, and to reload. A reload first mixes the rest of the step
// now playing into the carry, which the callback plays out before it mixes
// on, so the new text is heard from the next step boundary.
#include "song_tool.h"
#include "file_stamp.h"

#include "direction/director_tables.h"
#include "synth/synth.h"

#include <SDL.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int SAMPLE_RATE = 44100;
constexpr int FRAME_BYTES = 4;  // 16-bit stereo
constexpr int STEPS_A_BAR = 16;
constexpr int ROW_ALL = -1;                             // no arrangement row: every voice plays
constexpr int TICK_MS = 10;                             // longest wait for a key between duties
constexpr int WATCH_MS = 25;                            // between looks at the file
constexpr int SETTLE_MS = 30;                           // a changed file must stay so this long
constexpr int STATUS_MS = 50;                           // between redraws of the terminal's status
constexpr int FROM_MAX = 1000000;                       // latest --from step
constexpr int transposition_cycle[4] = {0, 4, -4, -8};  // the show's, in the order `t` takes them

// Key bytes.
enum {
    KEY_ESCAPE = 0x1b,
    KEY_PAUSE = ' ',
    KEY_RESTART = 'r',
    KEY_TRANSPOSE = 't',
    KEY_QUIT = 'q',
    KEY_ROW_UP = '+',
    KEY_ROW_DOWN = '-',
};

// What a voice is doing, for the status line.
enum {
    VOICE_WAITING = 0,  // its track has not started
    VOICE_SOUNDING,     // a note sounds
    VOICE_SILENT,       // between notes
    VOICE_MUTED,        // left out by the arrangement row
    VOICE_ENDED,        // its track has finished
};

struct PlayOptions {
    const char *path = nullptr;
    int row = ROW_ALL;
    int transpose = 0;  // semitones
    unsigned seed = 0;
    int from = 0;  // first step
    bool watch = false;
};

// What plays and how: main thread only.
struct Player {
    std::string path;
    std::string text;  // the song the loader last accepted, blanks removed
    unsigned seed;     // of the noise table, the same for every reload
    int row;           // ROW_ALL or 0..ARRANGEMENT_ROWS-1
    int transpose;     // semitones for the transposed voices
    bool paused;
};

// Frames mixed before a reload that finish the step then playing: written
// by the main thread and read by the callback, each under the audio lock.
struct Carry {
    std::vector<uint8_t> frames;  // FRAME_BYTES a frame
    int length;                   // frames held
    int played;                   // frames already handed to the device
};

Carry carry;

// Set by SIGINT, SIGTERM and SIGHUP: the player ends as after `q`.
volatile sig_atomic_t stop_requested = 0;

void on_stop_signal(int)
{
    stop_requested = 1;
}

void play_callback(void *, uint8_t *stream, int length)
{
    int frames = length / FRAME_BYTES;
    int left = carry.length - carry.played;
    int n = left < frames ? left : frames;
    if (n > 0) {
        memcpy(stream, carry.frames.data() + (size_t)carry.played * FRAME_BYTES,
               (size_t)n * FRAME_BYTES);
        carry.played += n;
    }
    if (frames > n)
        synth_mix(stream + (size_t)n * FRAME_BYTES, frames - n);
}

// The terminal in raw mode (no line editing, no echo) while it lives.
struct RawTerminal {
    bool active = false;
    termios saved{};
    RawTerminal()
    {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0)
            return;
        termios raw = saved;
        raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (active)
            tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    RawTerminal(const RawTerminal &) = delete;
    RawTerminal &operator=(const RawTerminal &) = delete;
};

long now_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// The options after "play": 0, or SONG_TOOL_USAGE after the message.
int parse_options(int argc, char **argv, PlayOptions *o)
{
    o->seed = (unsigned)time(nullptr);
    for (int i = 0; i < argc; i++) {
        const char *arg = argv[i];
        if (strcmp(arg, "--watch") == 0) {
            o->watch = true;
            continue;
        }
        if (arg[0] == '-' && arg[1] != '\0') {
            if (i + 1 >= argc)
                return song_usage_error("an option needs a value");
            const char *value = argv[++i];
            long n;
            if (strcmp(arg, "--row") == 0) {
                if (!parse_int(value, 0, ARRANGEMENT_ROWS - 1, &n))
                    return song_usage_error("--row needs an arrangement row 0..17");
                o->row = (int)n;
            } else if (strcmp(arg, "--transpose") == 0) {
                if (!parse_int(value, -71, 71, &n))
                    return song_usage_error("--transpose needs semitones -71..71");
                o->transpose = (int)n;
            } else if (strcmp(arg, "--seed") == 0) {
                if (!parse_int(value, 0, 4294967295L, &n))
                    return song_usage_error("--seed needs a whole number 0..4294967295");
                o->seed = (unsigned)n;
            } else if (strcmp(arg, "--from") == 0) {
                if (!parse_int(value, 0, FROM_MAX, &n))
                    return song_usage_error("--from needs a step 0..1000000");
                o->from = (int)n;
            } else {
                return song_usage_error("unknown option");
            }
            continue;
        }
        if (o->path)
            return song_usage_error("play takes one SONG.txt");
        o->path = arg;
    }
    if (!o->path)
        return song_usage_error("play needs SONG.txt");
    return 0;
}

// The voices' mutes for the row (every voice for ROW_ALL) and the
// transposition, as the director sends them; deferred mutes wait for the
// next step boundary.
void arrange(const Player &p, int deferred)
{
    for (int c = 0; c < ARRANGED_VOICES; c++) {
        uint8_t mute = p.row == ROW_ALL ? 0 : (uint8_t)(int)(1.0f - voice_on_table[p.row][c]);
        synth_set_mute(c + 1, mute, deferred);
    }
    for (int v : transposed_voices)
        synth_set_transpose(v, p.transpose);
}

// The synthesiser built afresh from the player's text, arranged, at the
// start of the step. The noise table comes from the same seed every time.
void build_song(const Player &p, int32_t step)
{
    srand(p.seed);
    synth_init(SAMPLE_RATE);
    synth_load_song_text(p.text);
    arrange(p, 0);
    synth_skip_to_step(step);
}

// Whether a loaded song can be played on: it has a tempo and a voice.
bool song_playable()
{
    return synth.step_length > 0 && synth_voice_in_use(1);
}

// Mixes the rest of the step now playing into the carry, behind what it
// still holds, and returns the next step. Needs the audio lock.
int32_t finish_step()
{
    int kept = carry.length - carry.played;
    memmove(carry.frames.data(), carry.frames.data() + (size_t)carry.played * FRAME_BYTES,
            (size_t)kept * FRAME_BYTES);
    carry.length = kept;
    carry.played = 0;
    int64_t length = synth.step_length;
    if (length <= 0)
        return 0;
    int64_t counter = synth.sample_counter;
    int64_t next = (counter + length - 1) / length;
    int rest = (int)(next * length - counter);
    size_t need = (size_t)(carry.length + rest) * FRAME_BYTES;
    if (carry.frames.size() < need)
        carry.frames.resize(need);  // only when one step is longer than the reserve
    synth_mix(carry.frames.data() + (size_t)carry.length * FRAME_BYTES, rest);
    carry.length += rest;
    return next > INT32_MAX ? INT32_MAX : (int32_t)next;
}

// Whole file into text; false when it cannot be read.
bool read_text(const char *path, std::string *text)
{
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path, "rb"), fclose);
    if (!file)
        return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text->append(chunk, got);
    return !ferror(file.get());
}

// The status line is on the terminal and must be cleared before a message.
bool status_on_terminal = false;
bool status_shown = false;

void clear_status()
{
    if (status_on_terminal && status_shown) {
        fputs("\r\033[K", stdout);
        fflush(stdout);
        status_shown = false;
    }
}

// Prints check's findings on the song file.
void print_findings(const char *path)
{
    std::string text;
    if (!read_text(path, &text))
        return;
    for (const SongProblem &p : song_check(text))
        fprintf(stderr, "%s:%d: %s\n", path, p.line, p.reason.c_str());
}

// Loads the file anew and plays it on from the next step; a file that does
// not load, or holds nothing to play, leaves the song before playing.
void reload(Player *p)
{
    clear_status();
    SDL_LockAudio();
    int32_t step = finish_step();
    srand(p->seed);
    synth_init(SAMPLE_RATE);
    int loaded = synth_load_song(p->path.c_str());
    int load_error = errno;
    bool playable = loaded == 0 && song_playable();
    if (playable) {
        p->text = synth.song_text;
        arrange(*p, 0);
        synth_skip_to_step(step);
    } else {
        build_song(*p, step);
    }
    SDL_UnlockAudio();

    const char *path = p->path.c_str();
    if (loaded != 0)
        fprintf(stderr, "tobuna-song: cannot open %s: %s\n", path, strerror(load_error));
    else if (!playable)
        fprintf(stderr, "tobuna-song: %s has no tempo or no track to play\n", path);
    if (playable)
        fprintf(stderr, "tobuna-song: %s reloaded, playing on from step %d\n", path, (int)step);
    else
        fprintf(stderr, "tobuna-song: %s: the song before plays on\n", path);
    print_findings(path);
}

// One voice as the status line shows it.
struct VoiceStatus {
    int state;    // VOICE_*
    int pattern;  // pattern number; -1 none
    int note;     // note code sounding, -1 unknown
};

struct PlayStatus {
    int32_t position;  // step playing
    int voices;        // voices 1..voices-1 are in use
    VoiceStatus voice[SYNTH_VOICES];
};

// The note a voice's pattern last started up to its row, transposed as
// the mixer transposes it; -1 when the pattern started none or stopped it.
int last_note(const Voice &v, const int32_t *pattern)
{
    int note = -1;
    for (int i = 0; i <= v.row && i < SYNTH_LIST_LENGTH && pattern[i] != LIST_END; i++) {
        int code = pattern[i];
        if (code >= 0 && code < SYNTH_NOTES) {
            long long k = (long long)code + v.transpose.load(std::memory_order_relaxed);
            note = (int)(k < 0 ? 0 : k > SYNTH_NOTES - 1 ? SYNTH_NOTES - 1 : k);
        } else if (code == PATTERN_STOP) {
            note = -1;
        } else if (code == PATTERN_VOL || code == PATTERN_SLD) {
            i++;  // its parameter
        }
    }
    return note;
}

PlayStatus read_status()
{
    PlayStatus s{};
    SDL_LockAudio();
    s.position = synth_song_position();
    s.voices = 1;
    while (s.voices < SYNTH_VOICES && synth_voice_in_use(s.voices)) {
        const Voice &v = synth.voices[s.voices];
        VoiceStatus &out = s.voice[s.voices];
        out.pattern = -1;
        out.note = -1;
        if (v.track_index == TRACK_FINISHED) {
            out.state = VOICE_ENDED;
        } else if (v.track_index == TRACK_NOT_STARTED) {
            out.state = VOICE_WAITING;
        } else {
            out.pattern = v.track[v.track_index];
            out.state = v.pending_mute.load(std::memory_order_relaxed) ? VOICE_MUTED
                        : v.phase >= 0.0f                              ? VOICE_SOUNDING
                                                                       : VOICE_SILENT;
            out.note = last_note(v, synth.patterns[out.pattern]);
        }
        s.voices++;
    }
    SDL_UnlockAudio();
    return s;
}

std::string status_line(const Player &p, const PlayStatus &s)
{
    char head[128];
    char row[8];
    if (p.row == ROW_ALL)
        snprintf(row, sizeof row, "all");
    else
        snprintf(row, sizeof row, "%d", p.row);
    snprintf(head, sizeof head, "step %6d  bar %5d.%02d  row %-3s  transpose %+d%s |",
             (int)s.position, s.position / STEPS_A_BAR + 1, s.position % STEPS_A_BAR + 1, row,
             p.transpose, p.paused ? "  paused" : "");
    std::string line = head;
    for (int v = 1; v < s.voices; v++) {
        const VoiceStatus &vs = s.voice[v];
        char part[32];
        const char *note = vs.state == VOICE_WAITING                 ? "-"
                           : vs.state == VOICE_ENDED                 ? "end"
                           : vs.state == VOICE_MUTED                 ? "mute"
                           : vs.state == VOICE_SILENT || vs.note < 0 ? "-"
                                                                     : event_names[vs.note];
        if (vs.pattern >= 0)
            snprintf(part, sizeof part, " %d:p%d %s", v, vs.pattern, note);
        else
            snprintf(part, sizeof part, " %d:%s", v, note);
        line += part;
    }
    return line;
}

// Redraws the status in place on a terminal, cut to its width.
void show_status_in_place(const std::string &line)
{
    winsize size{};
    size_t width =
        ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1 : 79;
    fputs("\r", stdout);
    fwrite(line.data(), 1, line.size() < width ? line.size() : width, stdout);
    fputs("\033[K", stdout);
    fflush(stdout);
    status_shown = true;
}

// The transposition after the current one in the show's cycle; from one
// outside the cycle, its start.
int next_transposition(int current)
{
    for (int i = 0; i < 4; i++)
        if (transposition_cycle[i] == current)
            return transposition_cycle[(i + 1) % 4];
    return transposition_cycle[0];
}

// Acts on one key; false when it asks to quit.
bool handle_key(Player *p, int key)
{
    int row = p->row;
    switch (key) {
    case KEY_QUIT:
    case KEY_ESCAPE:
        return false;
    case KEY_PAUSE:
        p->paused = !p->paused;
        SDL_PauseAudio(p->paused ? 1 : 0);
        return true;
    case KEY_RESTART:
        SDL_LockAudio();
        carry.length = carry.played = 0;
        build_song(*p, 0);
        SDL_UnlockAudio();
        return true;
    case KEY_TRANSPOSE:
        p->transpose = next_transposition(p->transpose);
        break;
    case KEY_ROW_UP:  // the rows in turn, "all" between the last and the first
        row = row == ARRANGEMENT_ROWS - 1 ? ROW_ALL : row + 1;
        break;
    case KEY_ROW_DOWN:
        row = row == ROW_ALL ? ARRANGEMENT_ROWS - 1 : row - 1;
        break;
    default:
        if (key >= '0' && key <= '9')
            row = key - '0';
        else
            return true;
        break;
    }
    p->row = row;
    SDL_LockAudio();
    arrange(*p, 1);
    SDL_UnlockAudio();
    return true;
}

// Reads the keys waiting on the terminal; false when one asks to quit. An
// escape sequence (an arrow or function key) is read whole and ignored.
bool read_keys(Player *p)
{
    unsigned char bytes[64];
    ssize_t got = read(STDIN_FILENO, bytes, sizeof bytes);
    for (ssize_t i = 0; i < got; i++) {
        if (bytes[i] == KEY_ESCAPE && i + 1 < got && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
            i += 2;
            while (i < got && !(bytes[i] >= 0x40 && bytes[i] <= 0x7e))
                i++;
            continue;
        }
        if (!handle_key(p, bytes[i]))
            return false;
    }
    return true;
}

// The file's watcher: a change is acted on once the file has stayed the
// same for SETTLE_MS, so that a save being written is not read half done.
struct Watch {
    FileStamp loaded;  // the version last reloaded (or started with)
    FileStamp seen;    // the version seen last
    long seen_since;   // ms
    long next_look;    // ms
};

// Whether the file has changed and settled since it was last loaded.
bool watch_due(Watch *w, const char *path, long now)
{
    if (now < w->next_look)
        return false;
    w->next_look = now + WATCH_MS;
    FileStamp stamp = file_stamp(path);
    if (!same_stamp(stamp, w->seen)) {
        w->seen = stamp;
        w->seen_since = now;
        return false;
    }
    if (same_stamp(stamp, w->loaded) || now - w->seen_since < SETTLE_MS)
        return false;
    w->loaded = stamp;
    return true;
}

// The main thread's loop until a quit key or signal.
void play_loop(Player *p, bool watch, bool keys)
{
    Watch w{};
    w.loaded = w.seen = file_stamp(p->path.c_str());
    long next_status = 0;
    int last_bar = -1;
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        int ready = keys ? poll(&in, 1, TICK_MS) : (poll(nullptr, 0, TICK_MS), 0);
        if (stop_requested)
            break;
        if (ready > 0 && !read_keys(p))
            break;
        long now = now_ms();
        if (watch && watch_due(&w, p->path.c_str(), now))
            reload(p);
        if (status_on_terminal) {
            if (now >= next_status) {
                next_status = now + STATUS_MS;
                show_status_in_place(status_line(*p, read_status()));
            }
        } else {
            PlayStatus s = read_status();
            int bar = s.position / STEPS_A_BAR;
            if (bar != last_bar) {
                last_bar = bar;
                printf("%s\n", status_line(*p, s).c_str());
                fflush(stdout);
            }
        }
    }
}

}  // namespace

int play_command(int argc, char **argv)
{
    PlayOptions options;
    if (int status = parse_options(argc, argv, &options))
        return status;

    Player player{options.path, std::string(), options.seed, options.row, options.transpose, false};
    srand(player.seed);
    synth_init(SAMPLE_RATE);
    if (synth_load_song(options.path) != 0) {
        fprintf(stderr, "tobuna-song: cannot open %s: %s\n", options.path, strerror(errno));
        return SONG_TOOL_BAD_INPUT;
    }
    player.text = synth.song_text;
    if (options.watch)
        print_findings(options.path);

    if (SDL_Init(SDL_INIT_AUDIO) < 0) {
        fprintf(stderr, "tobuna-song: Unable to init SDL: %s\n", SDL_GetError());
        return SONG_TOOL_BAD_INPUT;
    }
    if (audio_open_device(play_callback) != 0) {
        fprintf(stderr, "tobuna-song: Unable to open audio: %s\n", SDL_GetError());
        SDL_Quit();
        return SONG_TOOL_BAD_INPUT;
    }
    // Room for two of the longest steps: the rest of one and what an
    // earlier reload left unplayed.
    carry.frames.assign((size_t)2 * synth_step_length_of(SAMPLE_RATE, 0) * FRAME_BYTES, 0);
    carry.length = carry.played = 0;
    // The device is paused: the song is the audio thread's once it runs.
    arrange(player, 0);
    synth_skip_to_step(options.from);

    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    status_on_terminal = isatty(STDOUT_FILENO);
    {
        RawTerminal terminal;
        SDL_PauseAudio(0);
        play_loop(&player, options.watch, terminal.active);
        SDL_PauseAudio(1);
    }
    if (status_shown)
        fputs("\n", stdout);
    SDL_CloseAudio();
    SDL_Quit();
    return SONG_TOOL_OK;
}
