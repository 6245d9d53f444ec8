// tobuna-capture: the show's own start-up, frames, director and mixer run on
// a virtual clock instead of the wall clock, into a WAV file, a PNG sequence,
// an MP4 file and a trace of what the director decided, frame by frame.
//
// Video frame k is shown at k / fps seconds; before it is run the mixer has
// mixed floor(k * 44100 / fps) frames in all, so the song position, and with
// it every act and scene event, falls as it would in real time, and picture
// and sound agree to the sample.
#pragma once

#include <cstdint>
#include <string>

constexpr int CAPTURE_SAMPLE_RATE = 44100;  // audio frames per second of show time

// Exit statuses of the tool.
enum {
    CAPTURE_OK = 0,
    CAPTURE_FAILED = 1,
    CAPTURE_USAGE = 2,
};

// What the command line asks for. Times are seconds of show time.
struct CaptureOptions {
    int fps = 60;         // video frames per second of show time
    bool seeded = false;  // false: seeded from the clock, as the show is
    unsigned seed = 0;    // the random generator's seed when seeded
    int width = 1280;     // pixels
    int height = 960;
    std::string wav_path;  // empty: no output of that kind
    std::string png_dir;
    std::string mp4_path;
    std::string trace_path;
    int crf = 18;                     // H.264 quality, 0 (lossless) .. 51
    std::string preset = "veryfast";  // x264's speed preset
    double start = 0.0;           // the section begins here; before it nothing is drawn or written
    double duration = 60.0;       // the section's length
    bool duration_given = false;  // false with an escape or click: until the show ends
    double escape_at = -1.0;      // Escape pressed at this time; negative: never
    double click_at = -1.0;       // a mouse click at this time; negative: never
    bool no_video = false;        // simulate and mix without drawing
    bool quiet = false;           // no progress line
};

// What a capture saw, for its summary.
struct CaptureStats {
    unsigned seed = 0;               // the seed the run used
    int64_t video_frames = 0;        // frames run inside the section
    int64_t audio_frames = 0;        // frames mixed inside the section
    int64_t end_sample = 0;          // show time at the end, in audio frames
    int acts_played[3] = {0, 0, 0};  // acts begun, by ACT_*
    int most_mice = 0;               // the most mice in the World at once
    int most_balls = 0;
    int64_t mice_allocated = 0;  // records the World allocated in the run
    int64_t balls_allocated = 0;
    long peak_memory_kib = 0;  // the process's peak resident size
};

// Reads the command line (argv[0] is the program): CAPTURE_OK, or
// CAPTURE_USAGE with the reason in *why. --help sets *help.
int capture_parse_args(int argc, const char *const *argv, CaptureOptions *o, bool *help,
                       std::string *why);
// The usage text printed by --help and after a usage error.
extern const char capture_usage_text[];

// Runs one capture from the show's start-up to its end: CAPTURE_OK, or
// CAPTURE_FAILED after a message on standard error. Outputs appear under
// their names only when the capture succeeds; a failed one removes the
// files it was writing and leaves every file it did not create alone.
int capture_run(const CaptureOptions &o, CaptureStats *stats);

// The one-line summary of a finished capture.
std::string capture_summary(const CaptureStats &s);
