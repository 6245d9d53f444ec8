#include "world/world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>

namespace {

class WorldTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        world_release_records(&world);
    }
    void SetUp() override
    {
        world_reset(&world, 1.0f, 1.0f);
    }
    World world{};
};

TEST(RandomUnit, ConversionOfRandValues)
{
    const float below_one = std::nextafter(1.0f, 0.0f);
    struct {
        int32_t r;
        float u;
    } cases[] = {
        {0, 0.0f},
        {1, 0x1p-31f},
        {1 << 30, 0.5f},
        {0x7fffff40, 0x1.fffffcp-1f},  // 2^31 - 192: a tie, rounds down to 2^31 - 256
        {0x7fffffbf, 0x1.fffffep-1f},  // 2^31 - 65: still converts below 2^31
        {0x7fffffc0, below_one},       // 2^31 - 64: converts to 2^31
        {0x7fffffff, below_one},       // largest rand()
    };
    for (const auto &c : cases)
        EXPECT_EQ(random_unit_of(c.r), c.u) << "r = " << c.r;
    for (int32_t r = 0x7fffff00; r < 0x7fffffff; r++)
        ASSERT_LT(random_unit_of(r), 1.0f) << "r = " << r;
    ASSERT_LT(random_unit_of(0x7fffffff), 1.0f);
}

TEST(RandomUnit, DrawsOneRandValue)
{
    srand(42);
    int r = rand();
    int after = rand();
    srand(42);
    EXPECT_EQ(random_unit(), random_unit_of(r));
    EXPECT_EQ(rand(), after);
}

TEST_F(WorldTest, ResetSetsStartValuesAndReleasesNothing)
{
    world.background[0] = 0.9f;
    world.show_arena = 0;
    Mouse *m = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    world_reset(&world, 2.0f, 0.5f);
    EXPECT_EQ(world.show_arena, 1);
    EXPECT_EQ(world.mice, nullptr);
    EXPECT_EQ(world.balls, nullptr);
    for (const float *colour : {world.background, world.background_target}) {
        EXPECT_EQ(colour[0], 0.3f);
        EXPECT_EQ(colour[1], 0.2f);
        EXPECT_EQ(colour[2], 0.1f);
    }
    EXPECT_EQ(world.half_width, 2.0f);
    EXPECT_EQ(world.half_depth, 0.5f);
    EXPECT_EQ(m->state, MOUSE_ACTIVE);  // still valid storage
    // The id counters go on.
    Mouse *n = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(n->id, m->id + 1);
    delete m;  // the reset forgot it, so it is the test's to release
}

TEST_F(WorldTest, MouseCreateStartValues)
{
    Mouse *m = mouse_create(&world, 0.25f, -0.5f, 0.125f, 30.0f, 0.6f);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(world.mice, m);
    EXPECT_EQ(m->next, nullptr);
    EXPECT_EQ(m->position.x, 0.25f);
    EXPECT_EQ(m->position.y, -0.5f);
    EXPECT_EQ(m->position.z, 0.125f);
    EXPECT_EQ(m->heading, 30.0f);
    EXPECT_EQ(m->wander_heading, 30.0f);
    EXPECT_EQ(m->wander_target, 30.0f);
    EXPECT_EQ(m->speed, 0.6f);
    for (const Vec3 *v : {&m->push, &m->desired_velocity, &m->velocity}) {
        EXPECT_EQ(v->x, 0.0f);
        EXPECT_EQ(v->y, 0.0f);
        EXPECT_EQ(v->z, 0.0f);
    }
    EXPECT_EQ(m->walk_phase, 0.0f);
    EXPECT_EQ(m->spin_timer, 0.0f);
    EXPECT_EQ(m->radius, 0.05f);
    EXPECT_EQ(m->wall_margin, 0.1f);
    EXPECT_EQ(m->wander_timer, 10.0f);
    EXPECT_EQ(m->state, MOUSE_ACTIVE);
    EXPECT_EQ(m->drive, 1.0f);
    EXPECT_EQ(m->entering, 1);
    EXPECT_EQ(m->leader, nullptr);
}

TEST_F(WorldTest, SpawnOperationsTellTheirMiceApart)
{
    Mouse *leader = spawn_wanderer(&world, -0.5f, -0.5f, 0.0f, 10.0f);
    Mouse *runner = spawn_runner(&world, 0.5f, 0.5f, 0.0f, 20.0f);
    Mouse *follower = spawn_follower(&world, 0.0f, 0.5f, 0.0f, 30.0f, leader);
    ASSERT_TRUE(leader && runner && follower);
    struct {
        Mouse *m;
        int colour, behaviour;
        Mouse *leader;
        float lowest, highest;
    } cases[] = {
        {leader, 2, BEHAVIOUR_WANDER, nullptr, 0.25f, 0.75f},
        {runner, 1, BEHAVIOUR_SEEK_BALL, nullptr, 0.75f, 2.25f},
        {follower, 0, BEHAVIOUR_FOLLOW, leader, 1.0f, 1.0f},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.m->body_colour, c.colour);
        EXPECT_EQ(c.m->behaviour, c.behaviour);
        EXPECT_EQ(c.m->leader, c.leader);
        EXPECT_GE(c.m->speed, c.lowest);
        EXPECT_LE(c.m->speed, c.highest);
    }
}

TEST_F(WorldTest, SpawnSpeedIsOneRandomUnitInDouble)
{
    srand(7);
    float u = random_unit_of(rand());
    int after = rand();
    srand(7);
    Mouse *m = spawn_runner(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(m->speed, (float)(((double)u + 0.5) * 1.5));
    EXPECT_EQ(rand(), after);

    srand(7);
    spawn_follower(&world, 0.5f, 0.0f, 0.0f, 0.0f, m);  // draws nothing
    EXPECT_EQ(random_unit(), u);
}

TEST_F(WorldTest, SpawnRefusedWithinATenthOfAMouse)
{
    Mouse *first = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    ASSERT_NE(first, nullptr);
    struct {
        float x, y, z;
        bool refused;
    } cases[] = {
        {0.0f, 0.0f, 0.0f, true},
        {0.05f, 0.0f, 0.0f, true},
        // 0.1f itself squares to a float a little above 0.01 and so lies
        // just outside; the edge is taken at the float below it.
        {0.0999f, 0.0f, 0.0f, true},
        {0.0f, -0.0999f, 0.0f, true},
        {0.0f, 0.0f, 0.0999f, true},  // height counts too
        {0.06f, 0.08f, 0.0f, true},   // 0.1 along a diagonal
        {0.11f, 0.0f, 0.0f, false},
        {0.0f, 0.11f, 0.0f, false},
        {NAN, 0.0f, 0.0f, true},  // not a number counts as near
    };
    for (const auto &c : cases) {
        EXPECT_EQ(world_mouse_near(c.x, c.y, c.z, &world) == first, c.refused)
            << c.x << ", " << c.y << ", " << c.z;
    }
}

TEST_F(WorldTest, RefusedSpawnAllocatesNothingAndDrawsNothing)
{
    Mouse *first = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    srand(3);
    int expected = rand();
    srand(3);
    EXPECT_EQ(spawn_wanderer(&world, 0.09f, 0.0f, 0.0f, 0.0f), nullptr);
    EXPECT_EQ(spawn_runner(&world, 0.0f, 0.09f, 0.0f, 0.0f), nullptr);
    EXPECT_EQ(spawn_follower(&world, 0.0f, 0.0f, 0.0f, 0.0f, first), nullptr);
    EXPECT_EQ(rand(), expected);
    EXPECT_EQ(world.mice, first);
    EXPECT_EQ(first->next, nullptr);
    Mouse *second = spawn_wanderer(&world, 0.11f, 0.0f, 0.0f, 0.0f);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->id, first->id + 1);  // no id used by the refusals
}

TEST_F(WorldTest, NearSearchTakesTheNewestFirst)
{
    Mouse *older = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    Mouse *newer = spawn_wanderer(&world, 0.15f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(world.mice, newer);
    EXPECT_EQ(newer->next, older);
    EXPECT_EQ(world_mouse_near(0.075f, 0.0f, 0.0f, &world), newer);
    EXPECT_EQ(world_mouse_near(-0.05f, 0.0f, 0.0f, &world), older);
    EXPECT_EQ(world_mouse_near(0.5f, 0.5f, 0.0f, &world), nullptr);
}

TEST_F(WorldTest, NearSearchUsesEachMouseRadius)
{
    Mouse *m = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    m->radius = 0.2f;
    EXPECT_EQ(world_mouse_near(0.24f, 0.0f, 0.0f, &world), m);
    EXPECT_EQ(world_mouse_near(0.26f, 0.0f, 0.0f, &world), nullptr);
}

TEST_F(WorldTest, BallKindsAndSides)
{
    struct {
        int kind;
        float radius, hop_height, hop_period, base;
    } kinds[] = {
        {BALL_BEACH, 0.1f, 0.35f, 0.9f, 0.8f},
        {BALL_FOOTBALL, 0.1f, 0.0f, 0.5f, 0.6f},
        {BALL_TENNIS, 0.03f, 0.25f, 0.8f, 0.7f},
        {BALL_BOWLING, 0.1f, 0.0f, 0.5f, 1.0f},
    };
    const float sides[4][2] = {{1.0f, 0.5f}, {-1.0f, 0.5f}, {0.5f, 1.0f}, {0.5f, -1.0f}};
    for (const auto &k : kinds) {
        for (int side = 0; side < 4; side++) {
            srand((unsigned)(k.kind * 4 + side));
            float u = random_unit_of(rand());
            srand((unsigned)(k.kind * 4 + side));
            Ball *b = ball_create(&world, k.kind, side);
            ASSERT_NE(b, nullptr);
            SCOPED_TRACE(testing::Message() << "kind " << k.kind << " side " << side);
            EXPECT_EQ(world.balls, b);
            EXPECT_EQ(b->kind, k.kind);
            EXPECT_EQ(b->radius, k.radius);
            EXPECT_EQ(b->hop_height, k.hop_height);
            EXPECT_EQ(b->hop_period, k.hop_period);
            EXPECT_EQ(b->segment_duration, (float)((double)k.base * ((double)u + 0.5)));
            EXPECT_GE(b->segment_duration, k.base * 0.5f);
            EXPECT_LE(b->segment_duration, k.base * 1.5f);
            for (const Vec3 *p : {&b->path0, &b->path1, &b->position, &b->last_position}) {
                EXPECT_EQ(p->x, sides[side][0]);
                EXPECT_EQ(p->y, sides[side][1]);
            }
            EXPECT_EQ(b->position.z, 0.0f);
            EXPECT_EQ(b->last_position.z, 0.0f);
            for (const Vec3 *p : {&b->path2, &b->path3}) {
                EXPECT_EQ(p->x, 0.0f);
                EXPECT_EQ(p->y, 0.0f);
            }
            EXPECT_EQ(b->heading, 0.0f);
            EXPECT_EQ(b->roll, 0.0f);
            EXPECT_EQ(b->segment, 0);
            EXPECT_EQ(b->segments_per_lap, 8);
            EXPECT_EQ(b->hop_timer, 0.0f);
            EXPECT_EQ(b->segment_timer, 0.0f);
            EXPECT_EQ(b->state, BALL_ROLLING);
        }
    }
}

TEST_F(WorldTest, TennisBallAtSideThree)
{
    Ball *b = ball_create(&world, BALL_TENNIS, 3);
    EXPECT_EQ(b->position.x, 0.5f);
    EXPECT_EQ(b->position.y, -1.0f);
    EXPECT_EQ(b->position.z, 0.0f);
    EXPECT_EQ(b->radius, 0.03f);
    EXPECT_EQ(b->hop_height, 0.25f);
    EXPECT_EQ(b->hop_period, 0.8f);
    EXPECT_GE(b->segment_duration, 0.35f);
    EXPECT_LE(b->segment_duration, 1.05f);
}

TEST_F(WorldTest, TheWorldKeepsEveryRecordUntilReleased)
{
    Mouse *leader = spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    spawn_follower(&world, 0.5f, 0.0f, 0.0f, 0.0f, leader);
    EXPECT_EQ(spawn_runner(&world, 0.0f, 0.0f, 0.0f, 0.0f), nullptr);  // refused: not counted
    ball_create(&world, BALL_BEACH, 0);
    ball_create(&world, BALL_TENNIS, 1);
    ball_create(&world, BALL_BOWLING, 2);
    // Unlinked records stay owned by the World.
    world.mice = nullptr;
    world.balls = world.balls->next;
    EXPECT_EQ(world.mice_allocated, 2);
    EXPECT_EQ(world.balls_allocated, 3);
    int mice = 0, balls = 0;
    for (Mouse *m = world.allocated_mice; m; m = m->allocated_next)
        mice++;
    for (Ball *b = world.allocated_balls; b; b = b->allocated_next)
        balls++;
    EXPECT_EQ(mice, 2);
    EXPECT_EQ(balls, 3);

    world_release_records(&world);
    EXPECT_EQ(world.mice, nullptr);
    EXPECT_EQ(world.balls, nullptr);
    EXPECT_EQ(world.allocated_mice, nullptr);
    EXPECT_EQ(world.allocated_balls, nullptr);
    EXPECT_EQ(world.mice_allocated, 0);
    EXPECT_EQ(world.balls_allocated, 0);
    // The World goes on after a release.
    EXPECT_NE(spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f), nullptr);
    EXPECT_EQ(world.mice_allocated, 1);
    world_release_records(&world);
}

}  // namespace
