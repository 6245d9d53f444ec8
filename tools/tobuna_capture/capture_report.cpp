// The progress line while a capture runs and the summary after it.
#include "capture.h"
#include "capture_local.h"

#include <cstdio>
#include <ctime>
#include <unistd.h>

static double wall_clock()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

void progress_start(Progress *p, bool shown, int64_t total_frames)
{
    *p = Progress{};
    p->shown = shown;
    p->terminal = isatty(STDERR_FILENO) == 1;
    p->total = total_frames;
    p->started = p->last_shown = wall_clock();
}

static void progress_show(Progress *p, double now)
{
    double elapsed = now - p->started;
    double rate = elapsed > 0.0 ? (double)p->done / elapsed : 0.0;
    char line[160];
    if (p->total > 0) {
        double left = rate > 0.0 ? (double)(p->total - p->done) / rate : 0.0;
        snprintf(line, sizeof line, "frame %lld of %lld, %.0f frames a second, %.0f s left",
                 (long long)p->done, (long long)p->total, rate, left);
    } else {
        snprintf(line, sizeof line, "frame %lld (until the show ends), %.0f frames a second",
                 (long long)p->done, rate);
    }
    if (p->terminal)
        fprintf(stderr, "\r%s\033[K", line);
    else
        fprintf(stderr, "%s\n", line);
    p->last_shown = now;
}

void progress_update(Progress *p, int64_t frames_done)
{
    p->done = frames_done;
    if (!p->shown || (frames_done & 63) != 0)
        return;
    double now = wall_clock();
    if (now - p->last_shown >= (p->terminal ? 0.25 : 10.0))
        progress_show(p, now);
}

void progress_end(Progress *p)
{
    if (p->shown && p->terminal && p->last_shown > p->started)
        fputc('\n', stderr);
}

std::string capture_summary(const CaptureStats &s)
{
    char line[400];
    snprintf(line, sizeof line,
             "show time %.3f s (seed %u): %lld video frames, %lld audio frames; acts: %d title, "
             "%d wander, %d chase; at most %d mice and %d balls at once; %lld records allocated "
             "(%lld mice, %lld balls); peak memory %.1f MiB",
             (double)s.end_sample / CAPTURE_SAMPLE_RATE, s.seed, (long long)s.video_frames,
             (long long)s.audio_frames, s.acts_played[0], s.acts_played[1], s.acts_played[2],
             s.most_mice, s.most_balls, (long long)s.mice_allocated + (long long)s.balls_allocated,
             (long long)s.mice_allocated, (long long)s.balls_allocated,
             (double)s.peak_memory_kib / 1024.0);
    return line;
}
