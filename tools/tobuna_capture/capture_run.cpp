// One capture: the show's start-up, then frame after frame on the virtual
// clock, each with the frame loop's own run states, the mixer run up to the
// frame's time, the show's frame dispatch, and the outputs.
#include "capture.h"
#include "capture_local.h"
#include "mp4_write.h"
#include "offscreen.h"
#include "wav_write.h"

#include "direction/direction_local.h"
#include "shell/shell.h"
#include "synth/synth.h"
#include "world/world.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <algorithm>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The outputs of a run, written under temporary names beside their own.
struct Outputs {
    std::string wav_temp, mp4_temp, trace_temp;  // empty: not being written
    WavWriter wav;
    Mp4Writer mp4;
    std::unique_ptr<FILE, FileCloser> trace;
    bool png_dir_made = false;  // the run made the PNG folder
    std::vector<uint8_t> rgb;   // the frame just drawn
};

// A new empty file beside path, for the output until it is complete.
bool make_temp(const std::string &path, std::string *temp)
{
    std::string name = path + ".partial-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) {
        fprintf(stderr, "tobuna-capture: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    close(fd);
    *temp = name;
    return true;
}

bool open_outputs(const CaptureOptions &o, Outputs *out)
{
    if (!o.wav_path.empty()) {
        if (!make_temp(o.wav_path, &out->wav_temp))
            return false;
        if (!wav_open(&out->wav, out->wav_temp.c_str(), CAPTURE_SAMPLE_RATE)) {
            fprintf(stderr, "tobuna-capture: cannot write %s: %s\n", o.wav_path.c_str(),
                    strerror(errno));
            return false;
        }
    }
    if (!o.trace_path.empty()) {
        if (!make_temp(o.trace_path, &out->trace_temp))
            return false;
        out->trace.reset(fopen(out->trace_temp.c_str(), "w"));
        if (!out->trace) {
            fprintf(stderr, "tobuna-capture: cannot write %s: %s\n", o.trace_path.c_str(),
                    strerror(errno));
            return false;
        }
    }
    if (!o.png_dir.empty()) {
        struct stat st;
        if (stat(o.png_dir.c_str(), &st) != 0) {
            if (mkdir(o.png_dir.c_str(), 0777) != 0) {
                fprintf(stderr, "tobuna-capture: cannot make the folder %s: %s\n",
                        o.png_dir.c_str(), strerror(errno));
                return false;
            }
            out->png_dir_made = true;
        } else if (!S_ISDIR(st.st_mode) || access(o.png_dir.c_str(), W_OK) != 0) {
            fprintf(stderr, "tobuna-capture: %s: not a folder that can be written\n",
                    o.png_dir.c_str());
            return false;
        }
    }
    if (!o.mp4_path.empty()) {
        if (!make_temp(o.mp4_path, &out->mp4_temp))
            return false;
        if (!mp4_open(&out->mp4, out->mp4_temp.c_str(), o.width, o.height, o.fps, o.crf,
                      o.preset.c_str())) {
            fprintf(stderr, "tobuna-capture: %s: %s\n", o.mp4_path.c_str(), out->mp4.error.c_str());
            return false;
        }
    }
    return true;
}

// Finishes every output and gives it its own name: true, or false after a
// message.
bool finish_outputs(const CaptureOptions &o, Outputs *out)
{
    bool ok = true;
    if (!out->wav_temp.empty() && !wav_finish(&out->wav)) {
        fprintf(stderr, "tobuna-capture: cannot write %s: %s\n", o.wav_path.c_str(),
                strerror(errno));
        ok = false;
    }
    if (!out->trace_temp.empty()) {
        FILE *trace = out->trace.release();
        if (ferror(trace) | fclose(trace)) {
            fprintf(stderr, "tobuna-capture: cannot write %s\n", o.trace_path.c_str());
            ok = false;
        }
    }
    if (!out->mp4_temp.empty() && !mp4_finish(&out->mp4)) {
        fprintf(stderr, "tobuna-capture: %s: %s\n", o.mp4_path.c_str(), out->mp4.error.c_str());
        ok = false;
    }
    mp4_release(&out->mp4);
    if (!ok)
        return false;
    const std::pair<std::string *, const std::string *> names[] = {
        {&out->wav_temp, &o.wav_path},
        {&out->trace_temp, &o.trace_path},
        {&out->mp4_temp, &o.mp4_path}};
    for (auto [temp, path] : names) {
        if (temp->empty())
            continue;
        if (rename(temp->c_str(), path->c_str()) != 0) {
            fprintf(stderr, "tobuna-capture: cannot write %s: %s\n", path->c_str(),
                    strerror(errno));
            return false;
        }
        temp->clear();
    }
    return true;
}

// After a failure: the unfinished files go; the PNG folder goes only when the
// run made it and it holds nothing else.
void abandon_outputs(const CaptureOptions &o, Outputs *out)
{
    out->wav.file.reset();
    out->trace.reset();
    mp4_release(&out->mp4);
    for (const std::string *temp : {&out->wav_temp, &out->trace_temp, &out->mp4_temp})
        if (!temp->empty())
            unlink(temp->c_str());
    if (out->png_dir_made)
        rmdir(o.png_dir.c_str());  // fails, as it should, once frames are in it
}

// The first value in the World, the camera or the colours that is not
// finite, described; empty when all are.
std::string first_non_finite()
{
    auto bad3 = [](const Vec3 &v) {
        return !std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z);
    };
    for (const Mouse *m = show_world.mice; m; m = m->next)
        if (bad3(m->position) || bad3(m->velocity) || bad3(m->push) || !std::isfinite(m->heading) ||
            !std::isfinite(m->walk_phase))
            return "mouse " + std::to_string(m->id) + " has a value that is not finite";
    for (const Ball *b = show_world.balls; b; b = b->next)
        if (bad3(b->position) || bad3(b->push) || !std::isfinite(b->heading) ||
            !std::isfinite(b->roll))
            return "ball " + std::to_string(b->id) + " has a value that is not finite";
    for (int i = 0; i < 3; i++)
        if (!std::isfinite(show_world.background[i]) || !std::isfinite(camera_position[i]))
            return "the background or the camera is not finite";
    if (!std::isfinite(inertia))
        return "inertia is not finite";
    return "";
}

template <typename T>
int list_length(const T *head)
{
    int n = 0;
    for (; head; head = head->next)
        n++;
    return n;
}

// One line of the trace, after the frame's director step.
void write_trace(FILE *file, int64_t frame, int ms, int mice, int balls)
{
    fprintf(file,
            "{\"frame\":%lld,\"ms\":%d,\"song_position\":%d,\"act\":%d,\"title_active\":%d,"
            "\"song_transpose\":%d,\"mutes\":[",
            (long long)frame, ms, (int)director.position, director.act, title_active,
            director.song_transpose);
    for (int v = 1; v <= 13; v++)
        fprintf(file, v < 13 ? "%d," : "%d", (int)synth.voices[v].pending_mute.load());
    fprintf(file,
            "],\"mice\":%d,\"balls\":%d,\"camera_mode\":%d,\"inertia\":%.9g,"
            "\"background\":[%.9g,%.9g,%.9g]}\n",
            mice, balls, camera_mode, (double)inertia, (double)show_world.background[0],
            (double)show_world.background[1], (double)show_world.background[2]);
}

// The clock: video frame k at k / fps seconds, sample and millisecond.
struct Clock {
    int fps;
    int64_t sample_of(int64_t k) const
    {
        return k * CAPTURE_SAMPLE_RATE / fps;
    }
    int ms_of(int64_t k) const
    {
        return (int)(k * 1000 / fps);
    }
    // The first frame at or after the sample.
    int64_t frame_at(int64_t sample) const
    {
        return (sample * fps + CAPTURE_SAMPLE_RATE - 1) / CAPTURE_SAMPLE_RATE;
    }
};

int64_t sample_of_seconds(double s)
{
    return std::llround(s * CAPTURE_SAMPLE_RATE);
}

// Mixes on to the sample, handing what falls in the section to the sound
// outputs: false after a write failure.
bool mix_to(int64_t target, int64_t *mixed, int64_t start_sample, Outputs *out, CaptureStats *stats)
{
    constexpr int chunk = 4096;
    static uint8_t frames[chunk * 4];
    while (*mixed < target) {
        int n = target - *mixed < chunk ? (int)(target - *mixed) : chunk;
        synth_mix(frames, n);
        int skip = *mixed < start_sample ? (int)std::min<int64_t>(start_sample - *mixed, n) : 0;
        *mixed += n;
        int kept = n - skip;
        if (kept <= 0)
            continue;
        stats->audio_frames += kept;
        if (!out->wav_temp.empty() && !wav_write_mixed(&out->wav, frames + 4 * skip, kept)) {
            fprintf(stderr, "tobuna-capture: cannot write the WAV file: %s\n",
                    out->wav.frames + kept > WAV_MAX_FRAMES ? "longer than a WAV file can hold"
                                                            : strerror(errno));
            return false;
        }
        if (!out->mp4_temp.empty() && !mp4_write_sound(&out->mp4, frames + 4 * skip, kept)) {
            fprintf(stderr, "tobuna-capture: MP4 sound: %s\n", out->mp4.error.c_str());
            return false;
        }
    }
    return true;
}

bool write_frame(const CaptureOptions &o, Outputs *out, int64_t frame)
{
    if (o.png_dir.empty() && o.mp4_path.empty())
        return true;
    out->rgb = offscreen_read_rgb();
    if (!o.png_dir.empty()) {
        char name[32];
        snprintf(name, sizeof name, "/frame_%06lld.png", (long long)frame);
        std::string path = o.png_dir + name;
        if (png_write_rgb(path.c_str(), o.width, o.height, out->rgb.data(), 1) != 0) {
            fprintf(stderr, "tobuna-capture: cannot write %s\n", path.c_str());
            return false;
        }
    }
    if (!o.mp4_path.empty() && !mp4_write_picture(&out->mp4, out->rgb.data())) {
        fprintf(stderr, "tobuna-capture: %s: %s\n", o.mp4_path.c_str(), out->mp4.error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int capture_run(const CaptureOptions &o, CaptureStats *stats)
{
    *stats = CaptureStats{};
    stats->seed = o.seeded ? o.seed : (unsigned)time(nullptr);
    bool video = !o.no_video;
    if (video && offscreen_open(o.width, o.height) != 0) {
        fprintf(stderr, "tobuna-capture: no OpenGL context to draw in: %s\n", offscreen_error());
        return CAPTURE_FAILED;
    }
    if (show_start(stats->seed, SHOW_AUDIO_NONE) != 0) {
        fprintf(stderr, "tobuna-capture: the show cannot start: it reads its models and song "
                        "from data/ in the working folder\n");
        show_end();
        if (video)
            offscreen_close();
        return CAPTURE_FAILED;
    }
    Outputs out;
    bool ok = open_outputs(o, &out);

    const Clock clock{o.fps};
    const bool open_ended = !o.duration_given && (o.escape_at >= 0.0 || o.click_at >= 0.0);
    const int64_t start_sample = sample_of_seconds(o.start);
    const int64_t end_sample = open_ended ? INT64_MAX : sample_of_seconds(o.start + o.duration);
    const int64_t first_frame = clock.frame_at(start_sample);
    const int64_t total_frames = open_ended ? -1 : clock.frame_at(end_sample);
    const int64_t escape_sample = o.escape_at >= 0.0 ? sample_of_seconds(o.escape_at) : -1;
    const int64_t click_sample = o.click_at >= 0.0 ? sample_of_seconds(o.click_at) : -1;

    Progress progress;
    progress_start(&progress, !o.quiet, total_frames);
    FrameLoop loop = frame_loop_start(0);
    int64_t mixed = 0, end = 0;
    bool escaped = false;
    stats->acts_played[director.act]++;
    for (int64_t k = 0; ok; k++) {
        int64_t sample = clock.sample_of(k);
        if (sample >= end_sample) {
            end = end_sample;
            break;
        }
        // What the loop reads between the frame before and this one.
        if (click_sample >= 0 && sample >= click_sample) {
            frame_loop_input(&loop, LOOP_INPUT_QUIT, &show_world);
            end = click_sample;
            break;
        }
        if (escape_sample >= 0 && sample >= escape_sample && !escaped) {
            frame_loop_input(&loop, LOOP_INPUT_ESCAPE, &show_world);
            escaped = true;
        }
        frame_loop_ending_pass(&loop, &show_world);
        if (loop.run_state == RUN_QUIT) {
            end = sample;
            break;
        }

        ok = mix_to(sample, &mixed, start_sample, &out, stats);
        if (!ok)
            break;
        bool in_section = k >= first_frame;
        int periods_left = director.act_periods_left;
        show_run_frame(clock.ms_of(k), video && in_section ? FRAME_DRAWN : FRAME_UNDRAWN);
        if (director.act_periods_left > periods_left)
            stats->acts_played[director.act]++;  // the step began an act

        int mice = list_length(show_world.mice), balls = list_length(show_world.balls);
        stats->most_mice = std::max(stats->most_mice, mice);
        stats->most_balls = std::max(stats->most_balls, balls);
        std::string bad = first_non_finite();
        if (!bad.empty()) {
            fprintf(stderr, "tobuna-capture: at %d ms: %s\n", clock.ms_of(k), bad.c_str());
            ok = false;
            break;
        }
        if (in_section) {
            int64_t frame = k - first_frame;
            if (out.trace)
                write_trace(out.trace.get(), frame, clock.ms_of(k), mice, balls);
            if (video && !(ok = write_frame(o, &out, frame)))
                break;
            stats->video_frames++;
        }
        progress_update(&progress, k + 1);
    }
    if (ok)
        ok = mix_to(std::max(end, start_sample), &mixed, start_sample, &out, stats);
    progress_end(&progress);

    stats->end_sample = std::max(end, start_sample);
    stats->mice_allocated = show_world.mice_allocated;
    stats->balls_allocated = show_world.balls_allocated;
    if (ok)
        ok = finish_outputs(o, &out);
    if (!ok)
        abandon_outputs(o, &out);
    show_end();
    if (video)
        offscreen_close();
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    stats->peak_memory_kib = usage.ru_maxrss;
    return ok ? CAPTURE_OK : CAPTURE_FAILED;
}
