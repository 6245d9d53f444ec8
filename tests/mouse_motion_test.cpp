#include "world/world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

class MouseMotionTest : public ::testing::Test {
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
    Mouse *add_mouse(float x, float y, int behaviour, float heading = 0.0f, float speed = 1.0f)
    {
        Mouse *m = mouse_create(&world, x, y, 0.0f, heading, speed);
        m->behaviour = behaviour;
        return m;
    }
    bool in_list(const Mouse *mouse) const
    {
        for (const Mouse *m = world.mice; m; m = m->next)
            if (m == mouse)
                return true;
        return false;
    }
    World world{};
};

TEST_F(MouseMotionTest, FirstWanderStepTurnsAtOnceThenWaits)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, 30.0f, 0.5f);
    srand(5);
    double u = random_unit();
    int after = rand();
    srand(5);
    mouse_wander(m, &world, 0.01f);
    EXPECT_EQ(m->wander_timer, 0.0f);
    EXPECT_EQ(m->wander_target, (float)(30.0 + 360.0 * (u - 0.5)));
    EXPECT_EQ(rand(), after) << "one random number per turn";

    // The next turn comes once the timer is above 0.75 s again.
    float target = m->wander_target;
    int steps = 0;
    while (m->wander_target == target && steps < 100) {
        mouse_wander(m, &world, 0.01f);
        steps++;
    }
    EXPECT_GE(steps, 75);
    EXPECT_LE(steps, 76);
    EXPECT_EQ(m->wander_timer, 0.0f);
}

TEST_F(MouseMotionTest, WallTurnBackOrder)
{
    struct {
        float x, y, target;
    } cases[] = {
        {0.0f, -0.95f, 90.0f},    // near -y
        {0.0f, 0.95f, 270.0f},    // near +y
        {0.95f, 0.0f, 180.0f},    // near +x
        {-0.95f, 0.0f, 0.0f},     // near -x
        {0.95f, -0.95f, 180.0f},  // corner: the x rule comes last
        {-0.95f, 0.95f, 0.0f},   {0.95f, 0.95f, 180.0f},
        {1.5f, 0.0f, 180.0f},  // beyond the wall too
        {0.0f, 0.0f, 45.0f},   // no wall near: target unchanged
        {0.85f, -0.85f, 45.0f},
    };
    for (const auto &c : cases) {
        Mouse *m = add_mouse(c.x, c.y, BEHAVIOUR_WANDER, 45.0f);
        m->wander_timer = 0.0f;
        mouse_wander(m, &world, 0.01f);
        EXPECT_EQ(m->wander_target, c.target) << c.x << ", " << c.y;
    }
}

TEST_F(MouseMotionTest, WanderEasesTheShortWayRound)
{
    struct {
        float heading, target, expected;
    } cases[] = {
        {10.0f, 350.0f, 369.8f},    // 10 unwraps to 370, eases down toward 350
        {350.0f, 10.0f, -9.8f},     // 350 unwraps to -10
        {-170.0f, 180.0f, 189.9f},  // -170 unwraps to 190
        {10.0f, 100.0f, 10.9f},     // no unwrap within half a turn
        {0.0f, 180.0f, 1.8f},       // exactly half a turn: no unwrap
        {720.0f, 10.0f, 356.5f},    // one unwrap per step only: 360
    };
    for (const auto &c : cases) {
        Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, c.heading, 0.5f);
        m->wander_timer = 0.0f;
        m->wander_target = c.target;
        mouse_wander(m, &world, 0.01f);
        EXPECT_NEAR(m->wander_heading, c.expected, 1e-4) << c.heading << " toward " << c.target;
        EXPECT_EQ(m->wander_target, c.target) << "the target is never wrapped";
    }
}

TEST_F(MouseMotionTest, WanderAsksForSpeedTimesDriveAlongItsAngle)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, 90.0f, 0.5f);
    m->wander_timer = 0.0f;
    m->drive = 0.5f;
    mouse_wander(m, &world, 0.01f);
    EXPECT_NEAR(m->desired_velocity.x, 0.0f, 1e-7);
    EXPECT_FLOAT_EQ(m->desired_velocity.y, 0.25f);
    EXPECT_EQ(m->desired_velocity.z, 0.0f);
}

TEST_F(MouseMotionTest, SeekTargetsAndTheBound)
{
    struct {
        float target[3];
        float vx, vy, heading;
    } cases[] = {
        {{0.5f, 0.25f, 9.0f}, 1.0f, 0.5f, 26.565051f},  // grows with distance; z unused
        {{-0.5f, 0.0f, 0.0f}, -1.0f, 0.0f, 180.0f},
        {{10.0f, -10.0f, 0.0f}, 20.0f, -20.0f, 315.0f},  // on the bound: still sought
        {{10.5f, 0.0f, 0.0f}, 0.0f, 0.0f, 90.0f},        // beyond: nothing asked
        {{0.0f, -10.5f, 0.0f}, 0.0f, 0.0f, 90.0f},
        {{0.0f, 0.0f, 0.0f}, 0.0f, 0.0f, 90.0f},  // standing on it
    };
    for (const auto &c : cases) {
        Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_SEEK_BALL, 0.0f, 2.0f);
        m->desired_velocity = {7.0f, 7.0f, 0.0f};
        mouse_seek(m, c.target);
        EXPECT_FLOAT_EQ(m->desired_velocity.x, c.vx) << c.target[0] << ", " << c.target[1];
        EXPECT_FLOAT_EQ(m->desired_velocity.y, c.vy) << c.target[0] << ", " << c.target[1];
        mouse_heading_from_velocity(m);
        EXPECT_FLOAT_EQ(m->heading, c.heading) << c.target[0] << ", " << c.target[1];
    }
}

TEST_F(MouseMotionTest, WithoutBallOrLeaderMiceHeadForTheCentre)
{
    Mouse *runner = add_mouse(0.5f, 0.5f, BEHAVIOUR_SEEK_BALL, 0.0f, 2.0f);
    Mouse *follower = add_mouse(-0.5f, 0.5f, BEHAVIOUR_FOLLOW, 0.0f, 1.0f);
    mouse_step(runner, &world, 0.01f);
    mouse_step(follower, &world, 0.01f);
    EXPECT_FLOAT_EQ(runner->desired_velocity.x, -1.0f);
    EXPECT_FLOAT_EQ(runner->desired_velocity.y, -1.0f);
    EXPECT_FLOAT_EQ(runner->heading, 225.0f);
    EXPECT_FLOAT_EQ(follower->desired_velocity.x, 0.5f);
    EXPECT_FLOAT_EQ(follower->desired_velocity.y, -0.5f);
    EXPECT_FLOAT_EQ(follower->heading, 315.0f);
}

TEST_F(MouseMotionTest, RunnerSeeksTheNewestBall)
{
    ball_create(&world, BALL_FOOTBALL, 1);                 // older, at (-1, 0.5)
    Ball *newest = ball_create(&world, BALL_FOOTBALL, 3);  // at (0.5, -1)
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_SEEK_BALL, 0.0f, 1.0f);
    mouse_step(m, &world, 0.01f);
    EXPECT_FLOAT_EQ(m->desired_velocity.x, newest->position.x);
    EXPECT_FLOAT_EQ(m->desired_velocity.y, newest->position.y);
}

TEST_F(MouseMotionTest, FollowerTargetsOneRadiusFromItsLeader)
{
    struct {
        float leader_heading, tx, ty;
    } cases[] = {
        {0.0f, 0.15f, 0.3f},  // x - r cos h, y + r sin h
        {90.0f, 0.2f, 0.35f},
        {180.0f, 0.25f, 0.3f},
        {-90.0f, 0.2f, 0.25f},  // a spun heading, negative
    };
    for (const auto &c : cases) {
        world_release_records(&world);
        world_reset(&world, 1.0f, 1.0f);
        Mouse *leader = add_mouse(0.2f, 0.3f, 0, c.leader_heading);
        Mouse *m = add_mouse(-0.5f, -0.5f, BEHAVIOUR_FOLLOW, 0.0f, 1.0f);
        m->leader = leader;
        mouse_step(m, &world, 0.01f);
        EXPECT_NEAR(m->desired_velocity.x, c.tx + 0.5f, 1e-6) << c.leader_heading;
        EXPECT_NEAR(m->desired_velocity.y, c.ty + 0.5f, 1e-6) << c.leader_heading;
    }
}

// The leader stands still at the centre; its follower presses close to it
// but never reaches its point, until the leader has left the World.
TEST_F(MouseMotionTest, FollowerOfADepartedLeaderReachesItsPoint)
{
    Mouse *leader = add_mouse(0.0f, 0.0f, BEHAVIOUR_SEEK_BALL, 0.0f, 5.0f);
    Mouse *follower = add_mouse(-0.5f, 0.0f, BEHAVIOUR_FOLLOW, 0.0f, 1.0f);
    follower->leader = leader;
    for (int i = 0; i < 600; i++)
        world_step(&world, 0.02f);
    float tx = leader->position.x - 0.05f * std::cos(leader->heading * 3.14159265f / 180.0f);
    float ty = leader->position.y + 0.05f * std::sin(leader->heading * 3.14159265f / 180.0f);
    float to_leader = std::hypot(follower->position.x - leader->position.x,
                                 follower->position.y - leader->position.y);
    EXPECT_GT(to_leader, 0.1f);
    EXPECT_LT(to_leader, 0.2f);
    EXPECT_GT(std::hypot(follower->position.x - tx, follower->position.y - ty), 0.04f);

    world_send_mice_away(&world);
    follower->state = MOUSE_ACTIVE;
    follower->drive = 1.0f;
    for (int i = 0; i < 100; i++)
        world_step(&world, 0.02f);
    ASSERT_FALSE(in_list(leader));
    tx = leader->position.x - 0.05f * std::cos(leader->heading * 3.14159265f / 180.0f);
    ty = leader->position.y + 0.05f * std::sin(leader->heading * 3.14159265f / 180.0f);
    for (int i = 0; i < 500; i++)
        world_step(&world, 0.02f);
    EXPECT_NEAR(follower->position.x, tx, 1e-3);
    EXPECT_NEAR(follower->position.y, ty, 1e-3);
}

TEST_F(MouseMotionTest, OverlapUndoKeepsVelocityPushAndHeading)
{
    Mouse *still = add_mouse(0.105f, 0.0f, 0);  // no behaviour: asks for nothing
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_FOLLOW, 0.0f, 100.0f);
    m->leader = still;
    m->heading = 123.0f;
    mouse_step(m, &world, 0.01f);
    EXPECT_EQ(m->position.x, 0.0f);
    EXPECT_EQ(m->position.y, 0.0f);
    EXPECT_FLOAT_EQ(m->velocity.x, 0.5f * 100.0f * (0.105f - 0.05f));
    EXPECT_LT(m->push.x, 0.0f);
    EXPECT_EQ(m->heading, 0.0f);
    EXPECT_EQ(mouse_find_overlap(m, &world), nullptr);

    // The same move with room to spare is kept.
    still->position.x = 0.3f;
    mouse_step(m, &world, 0.01f);
    EXPECT_GT(m->position.x, 0.0f);
}

TEST_F(MouseMotionTest, FindOverlapAtTheSumOfRadii)
{
    struct {
        float x, y, z;
        bool overlaps;
    } cases[] = {
        {0.1f, 0.0f, 0.0f, true},                                 // at the sum: overlaps
        {0.0f, -0.09f, 0.0f, true}, {0.0f, 0.0f, 0.1f, true},     // over all three axes
        {0.0f, 0.0f, 0.11f, false}, {0.08f, 0.08f, 0.0f, false},  // 0.113 apart
        {0.0f, 0.0f, 0.0f, true},                                 // coincident
    };
    Mouse *m = add_mouse(0.0f, 0.0f, 0);
    for (const auto &c : cases) {
        Mouse *n = mouse_create(&world, c.x, c.y, c.z, 0.0f, 1.0f);
        EXPECT_EQ(mouse_find_overlap(m, &world), c.overlaps ? n : nullptr)
            << c.x << ", " << c.y << ", " << c.z;
        world.mice = m;  // take n out again
        m->next = nullptr;
    }
}

TEST_F(MouseMotionTest, NeighbourAndBallPushMagnitudes)
{
    struct {
        float dx, dy;
        double magnitude;  // 5e-11 / s^10, away from the other
    } cases[] = {
        {0.1f, 0.0f, 0.5},
        {0.0f, -0.05f, 512.0},
        {0.06f, 0.08f, 0.5},
        {-0.2f, 0.0f, 5e-11 / std::pow(0.2, 10)},
    };
    for (int with_ball = 0; with_ball < 2; with_ball++) {
        for (const auto &c : cases) {
            World w{};
            world_reset(&w, 1.0f, 1.0f);
            Mouse *m = mouse_create(&w, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
            if (with_ball) {
                Ball *b = ball_create(&w, BALL_BEACH, 0);
                b->position = {c.dx, c.dy, 0.3f};
            } else {
                mouse_create(&w, c.dx, c.dy, 0.0f, 0.0f, 1.0f);
            }
            mouse_push(m, &w);
            double s = std::hypot((double)c.dx, (double)c.dy);
            EXPECT_NEAR(m->push.x, -c.dx / s * c.magnitude, 1e-5 * c.magnitude)
                << with_ball << " " << c.dx << ", " << c.dy;
            EXPECT_NEAR(m->push.y, -c.dy / s * c.magnitude, 1e-5 * c.magnitude)
                << with_ball << " " << c.dx << ", " << c.dy;
            EXPECT_EQ(m->push.z, 0.0f);
            world_release_records(&w);
        }
    }
}

TEST_F(MouseMotionTest, WallPushOnlyOnceInside)
{
    struct {
        float x, y;
        int entering;
        float px, py;  // expected push
    } cases[] = {
        {0.95f, 0.0f, 0, -0.512f, 0.0f},                                 // 5e-14 / e^10 at e = 0.05
        {0.0f, -0.95f, 0, 0.0f, 0.512f}, {0.99f, 0.0f, 0, -0.5f, 0.0f},  // factor capped: 50 e
        {1.0f, 0.0f, 0, 0.0f, 0.0f},                                     // at the wall itself
        {1.01f, 0.0f, 0, -0.5f, 0.0f},  // beyond it: still pushed back in
        {-1.01f, 0.0f, 0, 0.5f, 0.0f},   {0.95f, 0.0f, 1, 0.0f, 0.0f},  // entering: no wall push
        {0.0f, 0.0f, 0, 0.0f, 0.0f},
    };
    for (const auto &c : cases) {
        World w{};
        world_reset(&w, 1.0f, 1.0f);
        Mouse *m = mouse_create(&w, c.x, c.y, 0.0f, 0.0f, 1.0f);
        m->entering = c.entering;
        mouse_push(m, &w);
        EXPECT_NEAR(m->push.x, c.px, 1e-4) << c.x << ", " << c.y << " entering " << c.entering;
        EXPECT_NEAR(m->push.y, c.py, 1e-4) << c.x << ", " << c.y << " entering " << c.entering;
        w.show_arena = 0;
        mouse_push(m, &w);
        EXPECT_EQ(m->push.x, 0.0f);
        EXPECT_EQ(m->push.y, 0.0f);
        world_release_records(&w);
    }
}

// A wanderer entering from beyond the +x edge is not pushed by the walls
// until it lies wholly inside; then the walls push it back from the edge.
TEST_F(MouseMotionTest, EnteringMouseWalksIn)
{
    Mouse *m = add_mouse(1.0f, 0.0f, BEHAVIOUR_WANDER, 180.0f, 0.5f);
    m->wander_timer = 0.0f;  // no random turn: straight in
    int steps = 0;
    while (m->entering && steps < 1000) {
        mouse_step(m, &world, 0.01f);
        if (m->entering) {
            EXPECT_EQ(m->push.x, 0.0f) << "step " << steps;
        }
        steps++;
    }
    EXPECT_LT(m->position.x, 0.95f);
    EXPECT_GT(m->position.x, 0.93f);
    mouse_step(m, &world, 0.01f);
    EXPECT_LT(m->push.x, 0.0f);
}

TEST_F(MouseMotionTest, HeadingFromDesiredVelocity)
{
    struct {
        float vx, vy, heading;
    } cases[] = {
        {1.0f, 0.0f, 0.0f},     {0.0f, 1.0f, 90.0f},
        {0.0f, 0.0f, 90.0f},    {0.0f, -1.0f, 270.0f},
        {-1.0f, 0.0f, 180.0f},  {-1.0f, 1.0f, 135.0f},
        {-1.0f, -1.0f, 225.0f}, {1.0f, -1.0f, 315.0f},
        {1.0f, -1e-30f, 0.0f},  // 360 less a rounding error is 0, not 360
        {1e-45f, 3e38f, 90.0f}, {-1e-45f, -3e38f, 270.0f},
    };
    for (const auto &c : cases) {
        Mouse *m = add_mouse(0.0f, 0.0f, 0);
        m->desired_velocity = {c.vx, c.vy, 0.0f};
        m->push = {0.0f, 5.0f, 0.0f};  // pushed sideways: the heading ignores it
        mouse_heading_from_velocity(m);
        EXPECT_FLOAT_EQ(m->heading, c.heading) << c.vx << ", " << c.vy;
        EXPECT_GE(m->heading, 0.0f);
        EXPECT_LT(m->heading, 360.0f);
    }
    Mouse *m = add_mouse(0.0f, 0.0f, 0);
    m->drive = 0.0f;
    m->held_heading = -1234.5f;
    m->desired_velocity = {1.0f, 0.0f, 0.0f};
    mouse_heading_from_velocity(m);
    EXPECT_EQ(m->heading, -1234.5f);
}

TEST_F(MouseMotionTest, IntegrateSmoothsSteeringNotPush)
{
    struct {
        float k;
        float vx;  // after one step from rest, desired 1
    } cases[] = {
        {0.5f, 0.5f},
        {0.99f, 0.01f},
    };
    for (const auto &c : cases) {
        inertia = c.k;
        Mouse *m = add_mouse(0.0f, 0.0f, 0);
        m->desired_velocity = {1.0f, 0.0f, 0.0f};
        m->push = {0.0f, 2.0f, 0.0f};
        mouse_integrate(m, 0.1f);
        EXPECT_NEAR(m->velocity.x, c.vx, 1e-7) << c.k;
        EXPECT_EQ(m->velocity.y, 0.0f);
        EXPECT_NEAR(m->position.x, c.vx * 0.1f, 1e-8) << c.k;
        EXPECT_NEAR(m->position.y, 0.2f, 1e-7) << "push acts at once";
    }
}

TEST_F(MouseMotionTest, RunDownTakes34StepsAtDt001)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, 60.0f, 0.5f);
    m->wander_timer = 0.0f;
    m->state = MOUSE_RUNNING_DOWN;
    m->drive = 1.0f;
    int steps = 0;
    float last_heading = 0.0f;
    while (m->state == MOUSE_RUNNING_DOWN && steps < 100) {
        last_heading = m->heading;
        mouse_step(m, &world, 0.01f);
        steps++;
        if (steps == 1) {
            EXPECT_FLOAT_EQ(m->drive, 0.97f);
        }
    }
    EXPECT_EQ(steps, 34);
    EXPECT_EQ(m->state, MOUSE_SPINNING_OUT);
    EXPECT_EQ(m->drive, 0.0f);
    EXPECT_EQ(m->spin_timer, 0.0f);
    EXPECT_EQ(m->held_heading, last_heading);
    EXPECT_EQ(m->heading, last_heading);
    EXPECT_EQ(m->desired_velocity.x, 0.0f);
}

TEST_F(MouseMotionTest, DriveLandingOnZeroWaitsOneStep)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_SEEK_BALL, 0.0f, 1.0f);
    m->position = {0.5f, 0.0f, 0.0f};
    m->state = MOUSE_RUNNING_DOWN;
    m->drive = 0.75f;
    mouse_step(m, &world, 0.25f);
    EXPECT_EQ(m->state, MOUSE_RUNNING_DOWN);
    EXPECT_EQ(m->drive, 0.0f);
    float held = m->held_heading;
    EXPECT_EQ(m->heading, held);
    mouse_step(m, &world, 0.25f);
    EXPECT_EQ(m->state, MOUSE_SPINNING_OUT);
    EXPECT_EQ(m->held_heading, held);
}

TEST_F(MouseMotionTest, SpinOutTurnsFasterGoesNegativeAndLeaves)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, 10.0f, 0.5f);
    m->state = MOUSE_SPINNING_OUT;
    m->drive = 0.0f;
    m->heading = 10.0f;
    int steps = 0;
    while (in_list(m) && steps < 1000) {
        float heading = m->heading;
        float timer = m->spin_timer;
        world_step(&world, 0.01f);
        steps++;
        EXPECT_EQ(m->spin_timer, timer + 0.01f);
        EXPECT_EQ(m->heading, (float)(heading - 20.0 * m->spin_timer));
        EXPECT_EQ(in_list(m), m->spin_timer <= 1.5f) << "step " << steps;
    }
    EXPECT_NEAR(steps, 150, 1);
    EXPECT_LT(m->heading, -1000.0f);
    EXPECT_EQ(world.mice, nullptr);
}

// From being sent away to leaving: a third of a second of run-down and
// a second and a half of spinning.
TEST_F(MouseMotionTest, SentAwayMouseLeavesAfterAbout1_8Seconds)
{
    Mouse *m = add_mouse(0.0f, 0.0f, BEHAVIOUR_WANDER, 0.0f, 0.5f);
    Mouse *other = add_mouse(0.5f, 0.5f, BEHAVIOUR_WANDER, 0.0f, 0.5f);
    for (int i = 0; i < 10; i++)
        world_step(&world, 0.01f);
    world_send_oldest_mouse_away(&world);
    int steps = 0;
    while (in_list(m) && steps < 1000) {
        world_step(&world, 0.01f);
        steps++;
    }
    EXPECT_NEAR(steps * 0.01, 1.85, 0.015);
    EXPECT_EQ(world.mice, other);
    EXPECT_EQ(other->next, nullptr);
    EXPECT_EQ(other->state, MOUSE_ACTIVE);
}

// Whichever mouse leaves, every mouse is stepped exactly once in that step
// and the others stay in their order.
TEST_F(MouseMotionTest, LeavingDuringTheWalkStepsEveryOtherMouse)
{
    for (int leaving = 0; leaving < 4; leaving++) {
        world_release_records(&world);
        world_reset(&world, 1.0f, 1.0f);
        Mouse *mice[4];  // newest first
        for (int i = 3; i >= 0; i--) {
            mice[i] = add_mouse(-0.6f + 0.4f * (float)i, 0.0f, BEHAVIOUR_WANDER, 0.0f, 0.5f);
            mice[i]->wander_timer = 0.0f;
        }
        ASSERT_EQ(world.mice, mice[0]);
        mice[leaving]->state = MOUSE_SPINNING_OUT;
        mice[leaving]->drive = 0.0f;
        mice[leaving]->spin_timer = 1.5f;
        world_step(&world, 0.01f);
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(mice[i]->wander_timer, 0.01f) << "mouse " << i << ", leaving " << leaving;
        Mouse *m = world.mice;
        for (int i = 0; i < 4; i++) {
            if (i == leaving)
                continue;
            ASSERT_EQ(m, mice[i]) << "leaving " << leaving;
            m = m->next;
        }
        EXPECT_EQ(m, nullptr);
        EXPECT_EQ(mice[leaving]->next, leaving < 3 ? mice[leaving + 1] : nullptr)
            << "its own link is kept";
    }
}

// Mice that stand on or nearly on one another, or on a ball, keep finite
// pushes and positions; a push stays finite and points away at any distance.
TEST_F(MouseMotionTest, NearlyCoincidentPushStaysFinite)
{
    const float offsets[] = {0.0f, 1e-45f, 1e-38f, 1e-30f, 1e-20f, 1e-7f, 5e-5f, 1e-4f, 2e-4f};
    const float directions[][2] = {{1, 0}, {0, -1}, {0.6f, 0.8f}};
    for (int with_ball = 0; with_ball < 2; with_ball++) {
        for (float offset : offsets) {
            for (const auto &d : directions) {
                World w{};
                world_reset(&w, 1.0f, 1.0f);
                Mouse *m = mouse_create(&w, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
                m->behaviour = BEHAVIOUR_SEEK_BALL;
                Vec3 other = {offset * d[0], offset * d[1], 0.0f};
                if (with_ball)
                    ball_create(&w, BALL_TENNIS, 0)->position = other;
                else
                    mouse_create(&w, other.x, other.y, 0.0f, 0.0f, 1.0f);
                mouse_push(m, &w);
                ASSERT_TRUE(std::isfinite(m->push.x) && std::isfinite(m->push.y))
                    << with_ball << " " << offset << " (" << d[0] << ", " << d[1] << ")";
                EXPECT_LE(m->push.x * other.x, 0.0f) << "points away";
                EXPECT_LE(m->push.y * other.y, 0.0f) << "points away";
                if (other.x == 0.0f) {
                    EXPECT_EQ(m->push.x, 0.0f);
                }
                if (other.y == 0.0f) {
                    EXPECT_EQ(m->push.y, 0.0f);
                }
                EXPECT_LE(std::hypot((double)m->push.x, (double)m->push.y), 5e29 * 1.001);
                for (int i = 0; i < 50; i++)
                    world_step(&w, 1.0f / 75.0f);
                for (Mouse *n = w.mice; n; n = n->next) {
                    ASSERT_TRUE(std::isfinite(n->position.x) && std::isfinite(n->position.y) &&
                                std::isfinite(n->velocity.x) && std::isfinite(n->velocity.y) &&
                                std::isfinite(n->heading))
                        << with_ball << " " << offset;
                }
                world_release_records(&w);
            }
        }
    }
}

// Exactly coincident mice feel no push (distance 0 pushes nothing) and every
// move of one into the other is undone, so they stay together; mice that are
// slightly apart are pushed apart hard.
TEST_F(MouseMotionTest, CoincidentMiceStayNearlyCoincidentSeparate)
{
    struct {
        float offset;
        bool separate;
    } cases[] = {
        {0.0f, false},
        {1e-3f, true},
        {0.02f, true},
        {0.09f, true},
    };
    for (const auto &c : cases) {
        world_release_records(&world);
        world_reset(&world, 1.0f, 1.0f);
        Mouse *a = add_mouse(0.3f, 0.2f, BEHAVIOUR_SEEK_BALL, 0.0f, 1.0f);
        Mouse *b = add_mouse(0.3f + c.offset, 0.2f, BEHAVIOUR_SEEK_BALL, 0.0f, 1.0f);
        for (int i = 0; i < 20; i++)
            world_step(&world, 1.0f / 75.0f);
        double apart = std::hypot((double)a->position.x - b->position.x,
                                  (double)a->position.y - b->position.y);
        for (Mouse *m : {a, b})
            ASSERT_TRUE(std::isfinite(m->position.x) && std::isfinite(m->position.y) &&
                        std::isfinite(m->heading))
                << c.offset;
        if (c.separate) {
            EXPECT_GT(apart, 0.1) << c.offset;
        } else {
            EXPECT_EQ(apart, 0.0) << c.offset;
        }
    }
}

}  // namespace
