// The capture tool's command line.
#include "capture.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

const char capture_usage_text[] =
    "usage: tobuna-capture [--wav OUT.wav] [--png DIR] [--mp4 OUT.mp4] [--trace OUT.jsonl]\n"
    "                      [--fps F] [--size WxH] [--seed N] [--crf N] [--preset NAME]\n"
    "                      [--start S] [--duration S] [--escape-at S] [--click-at S]\n"
    "                      [--no-video] [--quiet]\n"
    "\n"
    "Runs the show on a virtual clock, from the models and song in ./data, and\n"
    "writes what it shows and plays; times are seconds of show time.\n"
    "\n"
    "--wav OUT.wav      the sound, 16-bit stereo 44100 Hz, exactly the mixed frames\n"
    "--png DIR          one PNG per video frame, DIR/frame_000000.png on\n"
    "--mp4 OUT.mp4      H.264 (yuv420p) video and AAC sound; --crf N is its quality,\n"
    "                   0..51 (default 18), --preset x264's speed (default veryfast)\n"
    "--trace OUT.jsonl  one JSON object per video frame: what the director read and\n"
    "                   decided, the World's counts, the camera mode, the colours\n"
    "--fps F            video frames per second, 1..1000 (default 60; 75 is the show's)\n"
    "--size WxH         the picture, in pixels (default 1280x960; even for --mp4)\n"
    "--seed N           seeds the random generator (default: from the clock, as the\n"
    "                   show does): one seed, one show\n"
    "--start S          the section's start (default 0); up to it the show runs\n"
    "                   without drawing or writing\n"
    "--duration S       the section's length (default 60; with --escape-at or\n"
    "                   --click-at and no --duration, until the show ends)\n"
    "--escape-at S      presses Escape at S: the ending, then the show ends\n"
    "--click-at S       clicks at S: the show ends at once\n"
    "--no-video         runs and mixes without drawing (no --png or --mp4)\n"
    "--quiet            no progress line on standard error\n"
    "\n"
    "At least one of --wav, --png, --mp4 and --trace is needed, except with --no-video.\n"
    "exit status: 0 done, 1 failure, 2 wrong usage\n";

// A whole number lo..hi, the whole text.
static bool parse_long(const char *text, long lo, long hi, long *out)
{
    char *end;
    errno = 0;
    long n = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || n < lo || n > hi)
        return false;
    *out = n;
    return true;
}

// Seconds 0..max, the whole text.
static bool parse_seconds(const char *text, double max, double *out)
{
    char *end;
    double s = strtod(text, &end);
    if (end == text || *end != '\0' || !(s >= 0.0 && s <= max))
        return false;
    *out = s;
    return true;
}

// WIDTHxHEIGHT, each 16..8192.
static bool parse_size(const char *text, int *width, int *height)
{
    std::string_view s = text;
    size_t x = s.find('x');
    if (x == std::string_view::npos)
        return false;
    std::string w(s.substr(0, x)), h(s.substr(x + 1));
    long wl, hl;
    if (!parse_long(w.c_str(), 16, 8192, &wl) || !parse_long(h.c_str(), 16, 8192, &hl))
        return false;
    *width = (int)wl;
    *height = (int)hl;
    return true;
}

// The longest show time a capture may reach: a week, so that sample counts
// and milliseconds stay far inside their types.
constexpr double longest_seconds = 7 * 86400.0;

int capture_parse_args(int argc, const char *const *argv, CaptureOptions *o, bool *help,
                       std::string *why)
{
    *help = false;
    for (int i = 1; i < argc; i++) {
        std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            *help = true;
            return CAPTURE_OK;
        }
        if (option == "--no-video") {
            o->no_video = true;
            continue;
        }
        if (option == "--quiet") {
            o->quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            *why = std::string(option) + " needs a value";
            if (option.substr(0, 2) != "--")
                *why = "unknown argument " + std::string(option);
            return CAPTURE_USAGE;
        }
        const char *value = argv[++i];
        long n;
        if (option == "--wav") {
            o->wav_path = value;
        } else if (option == "--png") {
            o->png_dir = value;
        } else if (option == "--mp4") {
            o->mp4_path = value;
        } else if (option == "--trace") {
            o->trace_path = value;
        } else if (option == "--fps") {
            if (!parse_long(value, 1, 1000, &n)) {
                *why = "--fps needs a whole number of frames a second, 1..1000";
                return CAPTURE_USAGE;
            }
            o->fps = (int)n;
        } else if (option == "--seed") {
            if (!parse_long(value, 0, 4294967295L, &n)) {
                *why = "--seed needs a whole number 0..4294967295";
                return CAPTURE_USAGE;
            }
            o->seeded = true;
            o->seed = (unsigned)n;
        } else if (option == "--size") {
            if (!parse_size(value, &o->width, &o->height)) {
                *why = "--size needs WIDTHxHEIGHT, each 16..8192 pixels";
                return CAPTURE_USAGE;
            }
        } else if (option == "--crf") {
            if (!parse_long(value, 0, 51, &n)) {
                *why = "--crf needs a quality 0..51";
                return CAPTURE_USAGE;
            }
            o->crf = (int)n;
        } else if (option == "--preset") {
            o->preset = value;
        } else if (option == "--start" || option == "--duration" || option == "--escape-at" ||
                   option == "--click-at") {
            double s;
            if (!parse_seconds(value, longest_seconds, &s)) {
                *why = std::string(option) + " needs seconds of show time, 0..604800";
                return CAPTURE_USAGE;
            }
            if (option == "--start") {
                o->start = s;
            } else if (option == "--duration") {
                o->duration = s;
                o->duration_given = true;
            } else if (option == "--escape-at") {
                o->escape_at = s;
            } else {
                o->click_at = s;
            }
        } else {
            *why = "unknown option " + std::string(option);
            return CAPTURE_USAGE;
        }
    }
    bool drawn_output = !o->png_dir.empty() || !o->mp4_path.empty();
    if (o->no_video && drawn_output) {
        *why = "--no-video draws nothing: it cannot write --png or --mp4";
        return CAPTURE_USAGE;
    }
    if (!o->no_video && !drawn_output && o->wav_path.empty() && o->trace_path.empty()) {
        *why = "nothing to write: give --wav, --png, --mp4 or --trace (or --no-video)";
        return CAPTURE_USAGE;
    }
    if (!o->mp4_path.empty() && (o->width % 2 != 0 || o->height % 2 != 0)) {
        *why = "--mp4 needs an even width and height (its pictures are yuv420p)";
        return CAPTURE_USAGE;
    }
    if (o->duration_given && o->start + o->duration > longest_seconds) {
        *why = "--start and --duration reach past 604800 seconds";
        return CAPTURE_USAGE;
    }
    if (o->duration_given && !(o->duration > 0.0)) {
        *why = "--duration needs more than 0 seconds";
        return CAPTURE_USAGE;
    }
    return CAPTURE_OK;
}
