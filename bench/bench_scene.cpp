// One whole main-scene frame, drawn and stepped, offscreen at 800 x 600
// with the show's models, at the busiest loads the acts bring: a chase act's
// crowd of runners and followers round a few balls, and the ball volleys of
// the wander act. glFinish makes each frame's drawing count in its time.
#include "direction/direction.h"
#include "models/models.h"
#include "offscreen.h"
#include "world/world.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

static void BM_MainSceneFrame(benchmark::State &state)
{
    if (chdir(TOBUNA_SOURCE_DIR) != 0 || offscreen_open(800, 600) != 0 || load_models() != 0) {
        state.SkipWithError("no offscreen context or no models");
        return;
    }
    srand(1);
    world_reset(&show_world, 1.0f, 1.0f);
    inertia = inertia_target = 0.5f;
    int mice = (int)state.range(0);
    int balls = (int)state.range(1);
    for (int i = 0; i < balls; i++)
        ball_create(&show_world, i % 4, i % 4);
    // Rows of mice across the floor, by turns runners and followers.
    Mouse *leader = nullptr;
    for (int i = 0; i < mice; i++) {
        float x = -0.8f + 0.2f * (float)(i % 9);
        float y = -0.8f + 0.2f * (float)(i / 9);
        Mouse *m = i % 2 ? spawn_follower(&show_world, x, y, 0.0f, 90.0f, leader)
                         : spawn_runner(&show_world, x, y, 0.0f, 90.0f);
        if (m)
            leader = m;
    }
    camera_set_mode(1);  // the whole floor in view
    for (int i = 0; i < 150; i++)  // the lists built and the camera near the floor
        main_scene_frame(1.0f / 75.0f);
    glFinish();
    for (auto _ : state) {
        main_scene_frame(1.0f / 75.0f);
        glFinish();
    }
    state.counters["mice"] = (double)mice;
    state.counters["balls"] = (double)balls;
}
BENCHMARK(BM_MainSceneFrame)->Args({20, 3})->Args({5, 12})->Args({0, 0})->Unit(benchmark::kMillisecond);
