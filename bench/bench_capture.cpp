// The capture tool's speed: show-time seconds per second without video, and
// frames a second of a 1280 x 960 capture drawn only, to PNG and to MP4.
// Each figure is a ratio to real time: x_real_time = 1 keeps pace with the
// show (60 frames a second for the drawn captures). Runs from the source
// folder, where data/ is.
#include "capture.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string temp_dir()
{
    char name[] = "/tmp/bench_capture_XXXXXX";
    return mkdtemp(name) ? name : "/tmp";
}

// Runs captures of seconds of show time starting at 40 s (the main scene)
// and reports show time per second of running.
void run_captures(benchmark::State &state, CaptureOptions o, double seconds)
{
    if (chdir(TOBUNA_SOURCE_DIR) != 0) {
        state.SkipWithError("no source folder");
        return;
    }
    o.seeded = true;
    o.seed = 1;
    o.duration = seconds;
    o.duration_given = true;
    o.quiet = true;
    int64_t frames = 0;
    for (auto _ : state) {
        CaptureStats stats;
        if (capture_run(o, &stats) != CAPTURE_OK) {
            state.SkipWithError("capture failed");
            return;
        }
        frames += stats.video_frames;
    }
    double shown = (double)state.iterations() * seconds;
    state.counters["x_real_time"] = benchmark::Counter(shown, benchmark::Counter::kIsRate);
    state.counters["frames_per_s"] =
        benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
}

void BM_CaptureNoVideo(benchmark::State &state)
{
    CaptureOptions o;
    o.no_video = true;
    run_captures(state, o, 600.0);
}
BENCHMARK(BM_CaptureNoVideo)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drawn at 1280 x 960 and traced: the drawing alone, the baseline of the
// two below.
void BM_CaptureDrawn(benchmark::State &state)
{
    static std::string dir = temp_dir();
    CaptureOptions o;
    o.start = 40.0;
    o.trace_path = dir + "/t.jsonl";
    run_captures(state, o, 2.0);
}
BENCHMARK(BM_CaptureDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CapturePng(benchmark::State &state)
{
    static std::string dir = temp_dir();
    CaptureOptions o;
    o.start = 40.0;
    o.png_dir = dir;
    run_captures(state, o, 2.0);
}
BENCHMARK(BM_CapturePng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaptureMp4(benchmark::State &state)
{
    static std::string dir = temp_dir();
    CaptureOptions o;
    o.start = 40.0;
    o.mp4_path = dir + "/a.mp4";
    run_captures(state, o, 2.0);
}
BENCHMARK(BM_CaptureMp4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
