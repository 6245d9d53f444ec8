// Runs in a process of its own: the id counters start at 0 once per run.
#include "world/world.h"

#include <gtest/gtest.h>

TEST(WorldIds, FirstIdsAreZeroAndRefusalsUseNone)
{
    World world{};
    world_reset(&world, 1.0f, 1.0f);
    Mouse *first = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(first->id, 0);
    EXPECT_EQ(spawn_runner(&world, 0.0f, 0.0f, 0.0f, 0.0f), nullptr);
    EXPECT_EQ(spawn_follower(&world, 0.5f, 0.0f, 0.0f, 0.0f, first)->id, 1);

    // Balls are numbered apart from mice.
    EXPECT_EQ(ball_create(&world, BALL_BEACH, 0)->id, 0);
    EXPECT_EQ(ball_create(&world, BALL_BEACH, 0)->id, 1);

    // A reset leaves the counters alone.
    world_release_records(&world);
    world_reset(&world, 1.0f, 1.0f);
    EXPECT_EQ(spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f)->id, 2);
    EXPECT_EQ(ball_create(&world, BALL_TENNIS, 3)->id, 2);
    world_release_records(&world);
}
