// The spawn refusal test walks every mouse; this measures it at the crowd
// sizes the show reaches.
#include "world/world.h"

#include <benchmark/benchmark.h>

static void BM_MouseNear(benchmark::State &state)
{
    World world{};
    world_reset(&world, 1.0f, 1.0f);
    int n = (int)state.range(0);
    for (int i = 0; i < n; i++)
        spawn_wanderer(&world, -0.9f + 0.3f * (float)(i % 7), -0.9f + 0.3f * (float)(i / 7), 0.0f, 0.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(world_mouse_near(0.95f, 0.95f, 0.0f, &world));
}
BENCHMARK(BM_MouseNear)->Arg(8)->Arg(32);
