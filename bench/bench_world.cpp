// The World step and the spawn test walk every mouse; these measure them
// at the crowd sizes the show reaches and beyond. The step's cost grows
// with the square of the mice: each mouse meets every other mouse twice
// (push and overlap) and every ball once.
#include "world/world.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_MouseNear(benchmark::State &state)
{
    World world{};
    world_reset(&world, 1.0f, 1.0f);
    int n = (int)state.range(0);
    for (int i = 0; i < n; i++)
        spawn_wanderer(&world, -0.9f + 0.3f * (float)(i % 7), -0.9f + 0.3f * (float)(i / 7), 0.0f,
                       0.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(world_mouse_near(0.95f, 0.95f, 0.0f, &world));
    world_release_records(&world);
}
BENCHMARK(BM_MouseNear)->Arg(8)->Arg(32);

// One World step of 1/75 s with range(0) mice (wanderers and runners on a
// grid over the floor) and range(1) balls of every kind.
void BM_WorldStep(benchmark::State &state)
{
    srand(1);
    World world{};
    world_reset(&world, 1.0f, 1.0f);
    inertia_reset();
    int mice = (int)state.range(0);
    int balls = (int)state.range(1);
    for (int i = 0; i < balls; i++)
        ball_create(&world, i % 4, i % 4);
    for (int i = 0; i < mice; i++) {
        float x = -0.9f + 0.13f * (float)(i % 15);
        float y = -0.9f + 0.13f * (float)(i / 15 % 15);
        if (i % 2)
            spawn_runner(&world, x, y, 0.0f, 0.0f);
        else
            spawn_wanderer(&world, x, y, 0.0f, 0.0f);
    }
    for (auto _ : state)
        world_step(&world, 1.0f / 75.0f);
    world_release_records(&world);
}
BENCHMARK(BM_WorldStep)
    ->Args({10, 3})
    ->Args({50, 3})
    ->Args({200, 3})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
