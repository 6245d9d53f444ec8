#include "world/world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

class BallMotionTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        world_release_records(&world);
    }
    void SetUp() override
    {
        world_reset(&world, 1.0f, 1.0f);
        inertia = inertia_target = 0.5f;
        srand(1);
    }
    // A ball whose path points all lie at (x, y) and whose segment does not
    // end: it moves only by its push.
    Ball *add_still_ball(float x, float y, int kind = BALL_FOOTBALL)
    {
        Ball *b = ball_create(&world, kind, 0);
        b->path0 = b->path1 = b->path2 = b->path3 = {x, y, 0.0f};
        b->position = b->last_position = {x, y, 0.0f};
        b->segment_duration = 1000.0f;
        return b;
    }
    bool in_list(const Ball *ball) const
    {
        for (const Ball *b = world.balls; b; b = b->next)
            if (b == ball)
                return true;
        return false;
    }
    World world{};
};

TEST(SplinePoint, PassesThroughItsInnerPointsAndBlends)
{
    const Vec3 p0 = {-1.0f, 2.0f, 0.0f}, p1 = {0.0f, 0.0f, 0.0f}, p2 = {1.0f, 1.0f, 0.0f},
               p3 = {3.0f, -2.0f, 0.0f};
    struct {
        float u, tension, continuity, bias, x, y;
    } cases[] = {
        {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},  // P1
        {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f},  // P2
        {0.0f, 0.7f, -0.3f, 0.5f, 0.0f, 0.0f},
        {1.0f, 0.7f, -0.3f, 0.5f, 1.0f, 1.0f},
        // Catmull-Rom half-way: (-P0 + 9 P1 + 9 P2 - P3) / 16
        {0.5f, 0.0f, 0.0f, 0.0f, (1.0f + 9.0f - 3.0f) / 16.0f, (-2.0f + 9.0f + 2.0f) / 16.0f},
        // Tension 1: no tangents, half-way is the midpoint.
        {0.5f, 1.0f, 0.0f, 0.0f, 0.5f, 0.5f},
        // Bias 1: tangents P1 - P0 and P2 - P1; half-way
        // (P1 + P2) / 2 + (2 P1 - P0 - P2) / 8.
        {0.5f, 0.0f, 0.0f, 1.0f, 0.5f + (0.0f + 1.0f - 1.0f) / 8.0f,
         0.5f + (0.0f - 2.0f - 1.0f) / 8.0f},
    };
    for (const auto &c : cases) {
        float out[2] = {99.0f, 99.0f};
        spline_point(&p0, &p1, &p2, &p3, out, c.u, c.tension, c.continuity, c.bias);
        EXPECT_FLOAT_EQ(out[0], c.x) << "u " << c.u << " t " << c.tension << " b " << c.bias;
        EXPECT_FLOAT_EQ(out[1], c.y) << "u " << c.u << " t " << c.tension << " b " << c.bias;
    }
}

// A new ball's first segment leads from its side point to the centre; the
// second begins there, and the new last path point lies an eighth of a lap
// round, inside the floor by the radius, shifted by the two next random
// numbers (x first).
TEST_F(BallMotionTest, FirstSegmentEndsAtTheCentre)
{
    Ball *b = ball_create(&world, BALL_BEACH, 0);
    float end[2];
    spline_point(&b->path0, &b->path1, &b->path2, &b->path3, end, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(end[0], 0.0f);
    EXPECT_EQ(end[1], 0.0f);

    int steps = 0;
    while (b->segment == 0 && steps < 1000) {
        float timer = b->segment_timer;
        srand(11);
        ball_step(b, &world, 0.01f);
        steps++;
        if (b->segment == 0) {
            EXPECT_GT(b->segment_timer, timer);
        }
    }
    ASSERT_EQ(b->segment, 1);
    EXPECT_NEAR(steps * 0.01f, b->segment_duration, 0.011f);
    EXPECT_EQ(b->segment_timer, 0.0f);
    EXPECT_EQ(b->path0.x, 1.0f);
    EXPECT_EQ(b->path0.y, 0.5f);
    EXPECT_EQ(b->path1.x, 0.0f);
    EXPECT_EQ(b->path1.y, 0.0f);
    EXPECT_EQ(b->path2.x, 0.0f);
    EXPECT_EQ(b->path2.y, 0.0f);
    srand(11);
    double u1 = random_unit();
    double u2 = random_unit();
    const double inside = 1.0 - (double)0.1f;  // half size less the radius
    EXPECT_EQ(b->path3.x, (float)(inside * std::cos(3.141592653589793 / 4) + 0.4 * (u1 - 0.5)));
    EXPECT_EQ(b->path3.y, (float)(inside * std::sin(3.141592653589793 / 4) + 0.4 * (u2 - 0.5)));
}

// Over many laps the path runs round the floor toward growing angle and the
// ball stays near it, inside the floor.
TEST_F(BallMotionTest, PathRunsRoundTheFloor)
{
    Ball *b = ball_create(&world, BALL_BOWLING, 2);
    for (int i = 0; i < 75 * 60; i++) {
        ball_step(b, &world, 1.0f / 75.0f);
        ASSERT_LT(std::fabs(b->position.x), 1.2f);
        ASSERT_LT(std::fabs(b->position.y), 1.2f);
        ASSERT_EQ(b->position.z, 0.0f) << "a bowling ball does not hop";
        ASSERT_GE(b->heading, 0.0f);
        ASSERT_LT(b->heading, 360.0f);
    }
    EXPECT_GT(b->segment, 30);
    double a = 2 * 3.141592653589793 * b->segment / 8;
    EXPECT_NEAR(b->path3.x, 0.9 * std::cos(a), 0.2 + 1e-6);
    EXPECT_NEAR(b->path3.y, 0.9 * std::sin(a), 0.2 + 1e-6);
}

TEST_F(BallMotionTest, HopShape)
{
    struct {
        int kind;
        float hop_timer, dt, z;
    } cases[] = {
        {BALL_BEACH, 0.44f, 0.01f, 0.35f},  // half-way: the hop's height
        {BALL_BEACH, 0.0f, 0.225f, 0.35f * 0.75f},
        {BALL_BEACH, 0.89f, 0.02f, 0.0f},  // passing the period: on the floor
        {BALL_TENNIS, 0.79f, 0.02f, 0.0f},
        {BALL_TENNIS, 0.3f, 0.1f, 0.25f},
        {BALL_FOOTBALL, 0.2f, 0.05f, 0.0f},  // no hop
        {BALL_BOWLING, 0.0f, 0.25f, 0.0f},
    };
    for (const auto &c : cases) {
        Ball *b = add_still_ball(0.0f, 0.0f, c.kind);
        b->hop_timer = c.hop_timer;
        ball_step(b, &world, c.dt);
        EXPECT_NEAR(b->position.z, c.z, 1e-6) << "kind " << c.kind << " at " << c.hop_timer;
        world.balls = nullptr;
    }
}

TEST_F(BallMotionTest, FlyingOffRisesBySquaredTimerAndLeavesAfterOneSecond)
{
    Ball *b = add_still_ball(0.3f, 0.0f, BALL_BEACH);
    b->segment_duration = 0.6f;
    b->position.z = 0.1f;
    world_send_balls_off(&world);
    struct {
        float z;  // after each step of 0.25 s
    } steps[] = {{0.1625f}, {0.4125f}, {0.975f}, {1.975f}};
    for (const auto &s : steps) {
        ball_step(b, &world, 0.25f);
        EXPECT_NEAR(b->position.z, s.z, 1e-6);
        EXPECT_TRUE(in_list(b)) << "a timer of 1.0 is not above 1.0";
    }
    float segment_timer = b->segment_timer;
    float x = b->position.x;
    ball_step(b, &world, 0.25f);
    EXPECT_FALSE(in_list(b));
    EXPECT_NEAR(b->position.z, 1.975f + 1.5625f, 1e-6);
    EXPECT_EQ(b->segment_timer, segment_timer) << "nothing more runs in the leaving step";
    EXPECT_EQ(b->position.x, x);
}

// Whichever ball leaves, every ball is stepped exactly once in that step
// and the others stay in their order.
TEST_F(BallMotionTest, LeavingDuringTheWalkStepsEveryOtherBall)
{
    for (int leaving = 0; leaving < 3; leaving++) {
        world_release_records(&world);
        world_reset(&world, 1.0f, 1.0f);
        Ball *balls[3];  // newest first
        for (int i = 2; i >= 0; i--)
            balls[i] = add_still_ball(-0.6f + 0.6f * (float)i, 0.0f);
        balls[leaving]->state = BALL_FLYING_OFF;
        balls[leaving]->fly_timer = 1.0f;
        world_step(&world, 0.01f);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(balls[i]->hop_timer, 0.01f) << "ball " << i << ", leaving " << leaving;
        Ball *b = world.balls;
        for (int i = 0; i < 3; i++) {
            if (i == leaving)
                continue;
            ASSERT_EQ(b, balls[i]) << "leaving " << leaving;
            b = b->next;
        }
        EXPECT_EQ(b, nullptr);
    }
}

// Two balls apart along x only push each other with 6e-7 / s^10: closer than
// about 0.19 that exceeds the limit of 10 and is dropped, so they can pass.
TEST_F(BallMotionTest, PushLimitLetsCloseBallsPass)
{
    struct {
        float apart;
        bool applied;
    } cases[] = {
        {0.0f, true},  // coincident: no push at all
        {0.15f, false}, {0.18f, false}, {0.19f, true}, {0.25f, true},
    };
    for (const auto &c : cases) {
        world_release_records(&world);
        world_reset(&world, 1.0f, 1.0f);
        add_still_ball(c.apart, 0.0f);
        Ball *b = add_still_ball(0.0f, 0.0f);
        ball_step(b, &world, 0.01f);
        double push = c.apart == 0.0f ? 0.0 : 6e-7 / std::pow((double)c.apart, 10);
        EXPECT_NEAR(b->push.x, -push, push * 1e-5) << c.apart;
        EXPECT_EQ(b->push.y, 0.0f);
        EXPECT_FLOAT_EQ(b->position.x, c.applied ? b->push.x * 0.01f : 0.0f) << c.apart;
    }
}

TEST_F(BallMotionTest, MousePushesBall)
{
    mouse_create(&world, 0.0f, 0.1f, 0.0f, 0.0f, 1.0f);
    Ball *b = add_still_ball(0.0f, 0.0f);
    ball_push(b, &world);
    EXPECT_EQ(b->push.x, 0.0f);
    EXPECT_NEAR(b->push.y, -0.5f, 1e-5);
    EXPECT_EQ(b->push.z, 0.0f);
}

TEST_F(BallMotionTest, BallEasesTowardItsPathPoint)
{
    Ball *b = add_still_ball(0.5f, -0.25f);
    b->position = {0.0f, 0.0f, 0.0f};
    ball_step(b, &world, 0.1f);
    EXPECT_FLOAT_EQ(b->position.x, 0.05f);
    EXPECT_FLOAT_EQ(b->position.y, -0.025f);
    EXPECT_NEAR(b->heading, 360.0 - 26.565051, 1e-4);
}

TEST_F(BallMotionTest, HeadingFromMotion)
{
    struct {
        float dx, dy, heading;
    } cases[] = {
        {0.0f, 0.1f, 90.0f},    {0.0f, 0.0f, 90.0f},   {0.0f, -0.1f, 270.0f},
        {0.1f, 0.0f, 0.0f},     {-0.1f, 0.0f, 180.0f}, {0.1f, 0.1f, 45.0f},
        {-0.1f, -0.1f, 225.0f}, {0.1f, -1e-35f, 0.0f},  // 360 less a rounding error is 0, not 360
    };
    for (const auto &c : cases) {
        Ball b{};
        b.last_position = {0.0f, 0.0f, 0.0f};
        b.position = {c.dx, c.dy, 0.0f};
        ball_heading_from_motion(&b);
        EXPECT_FLOAT_EQ(b.heading, c.heading) << c.dx << ", " << c.dy;
        EXPECT_LT(b.heading, 360.0f);
    }
}

TEST_F(BallMotionTest, RollGrowsWithSquaredMoveUpToTheCap)
{
    struct {
        float moved, dt, roll;
    } cases[] = {
        {0.0f, 0.01f, 0.0f},
        {0.01f, 0.01f, 0.0001f * 0.01f * 2250000.0f},
        {0.3f, 0.01f, 0.09f * 0.01f * 2250000.0f},
        {1.0f, 0.01f, 0.1f * 0.01f * 2250000.0f},  // a jump: capped
        {5.0f, 0.02f, 0.1f * 0.02f * 2250000.0f},
    };
    for (const auto &c : cases) {
        Ball *b = add_still_ball(0.0f, 0.0f);
        b->last_position.x = -c.moved;
        b->roll = 0.0f;
        ball_step(b, &world, c.dt);
        EXPECT_NEAR(b->roll, c.roll, c.roll * 1e-5) << c.moved;
        EXPECT_EQ(b->last_position.x, 0.0f);
        world.balls = nullptr;
    }
}

TEST_F(BallMotionTest, NearlyCoincidentPushStaysFinite)
{
    const float offsets[] = {0.0f, 1e-45f, 1e-38f, 1e-30f, 1e-20f, 1e-7f, 5e-5f, 1e-4f};
    for (int with_mouse = 0; with_mouse < 2; with_mouse++) {
        for (float offset : offsets) {
            world_release_records(&world);
            world_reset(&world, 1.0f, 1.0f);
            if (with_mouse)
                mouse_create(&world, offset, 0.0f, 0.0f, 0.0f, 1.0f);
            else
                add_still_ball(offset, 0.0f);
            Ball *b = add_still_ball(0.0f, 0.0f);
            ball_step(b, &world, 0.01f);
            ASSERT_TRUE(std::isfinite(b->push.x)) << with_mouse << " " << offset;
            EXPECT_EQ(b->push.y, 0.0f) << with_mouse << " " << offset;
            EXPECT_LE(b->push.x, 0.0f);
            EXPECT_EQ(b->position.y, 0.0f);
            EXPECT_TRUE(std::isfinite(b->position.x));
            EXPECT_LE(std::fabs(b->position.x), 10.0f * 0.01f)
                << "a push over the limit is dropped";
        }
    }
}

}  // namespace
