// Whole frames offscreen at 800 x 600 with the show's models, glFinish
// making each frame's drawing count in its time: the main scene, drawn and
// stepped, at the busiest loads the acts bring (a chase act's crowd of
// runners and followers round a few balls, the ball volleys of the wander
// act), each also with its outline pass dropped; a title frame; and an
// empty frame, only cleared.
#include "direction/direction.h"
#include "models/models.h"
#include "offscreen.h"
#include "outline_filter.h"
#include "shell/shell.h"
#include "world/world.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int frames_timed = 400;  // the same frames in both passes' runs

// The context and the models, once for the whole program.
bool open_show()
{
    static const bool opened = [] {
        if (chdir(TOBUNA_SOURCE_DIR) != 0 || offscreen_open(800, 600) != 0 || load_models() != 0)
            return false;
        load_title_assets(0);
        return true;
    }();
    return opened;
}

// range(0) mice, by turns runners and followers in rows across the floor,
// and range(1) balls; range(2) non-zero: the outline pass dropped.
void BM_MainSceneFrame(benchmark::State &state)
{
    if (!open_show()) {
        state.SkipWithError("no offscreen context or no models");
        return;
    }
    srand(1);
    show_reset();
    int mice = (int)state.range(0);
    int balls = (int)state.range(1);
    for (int i = 0; i < balls; i++)
        ball_create(&show_world, i % 4, i % 4);
    Mouse *leader = nullptr;
    for (int i = 0; i < mice; i++) {
        float x = -0.8f + 0.2f * (float)(i % 9);
        float y = -0.8f + 0.2f * (float)(i / 9);
        Mouse *m = i % 2 ? spawn_follower(&show_world, x, y, 0.0f, 90.0f, leader)
                         : spawn_runner(&show_world, x, y, 0.0f, 90.0f);
        if (m)
            leader = m;
    }
    camera_set_mode(1);            // the whole floor in view
    for (int i = 0; i < 150; i++)  // the lists built and the camera near the floor
        main_scene_frame(1.0f / 75.0f);
    glFinish();
    outline_pass_dropped = (int)state.range(2);
    for (auto _ : state) {
        main_scene_frame(1.0f / 75.0f);
        glFinish();
    }
    outline_pass_dropped = 0;
    show_reset();
}
BENCHMARK(BM_MainSceneFrame)
    ->Args({20, 3, 0})
    ->Args({20, 3, 1})
    ->Args({5, 12, 0})
    ->Args({5, 12, 1})
    ->Iterations(frames_timed)
    ->Unit(benchmark::kMicrosecond);

// A title frame 15 s in: three balls, a credit word, seven mice.
void BM_TitleFrame(benchmark::State &state)
{
    if (!open_show()) {
        state.SkipWithError("no offscreen context or no models");
        return;
    }
    draw_title_scene(15000.0, 0);  // builds the display lists
    glFinish();
    for (auto _ : state) {
        draw_title_scene(15000.0, 0);
        glFinish();
    }
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);

// The baseline of a frame: the buffers cleared, nothing drawn.
void BM_EmptyFrame(benchmark::State &state)
{
    if (!open_show()) {
        state.SkipWithError("no offscreen context or no models");
        return;
    }
    for (auto _ : state) {
        glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
