#include "world/world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class WorldStepTest : public ::testing::Test {
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
    World world{};
};

TEST_F(WorldStepTest, BackgroundCoversFivePercentPerStep)
{
    const float target[3] = {0.1f, 0.2f, 0.7f};
    const float start[3] = {0.3f, 0.2f, 0.1f};
    std::memcpy(world.background_target, target, sizeof target);
    world_step(&world, 0.5f);
    for (int i = 0; i < 3; i++)
        EXPECT_FLOAT_EQ(world.background[i], 0.95f * start[i] + 0.05f * target[i]) << i;
    for (int n = 1; n < 20; n++)
        world_step(&world, 0.001f);  // whatever dt is
    for (int i = 0; i < 3; i++)
        EXPECT_NEAR(world.background[i], target[i] + (start[i] - target[i]) * std::pow(0.95, 20),
                    1e-6)
            << i;
}

TEST_F(WorldStepTest, InertiaEasesTowardItsTarget)
{
    inertia_target = 0.99f;
    world_step(&world, 0.01f);
    EXPECT_FLOAT_EQ(inertia, 0.549f);
    for (int n = 1; n < 50; n++)
        world_step(&world, 0.1f);
    EXPECT_NEAR(inertia, 0.99 - 0.49 * std::pow(0.9, 50), 1e-6);
}

// All balls move before any mouse: a runner heads for where the newest ball
// is after this step.
TEST_F(WorldStepTest, BallsMoveBeforeMice)
{
    Ball *ball = ball_create(&world, BALL_FOOTBALL, 0);
    Mouse *runner = spawn_runner(&world, -0.5f, 0.0f, 0.0f, 0.0f);
    ASSERT_NE(runner, nullptr);
    float x = runner->position.x, y = runner->position.y;
    world_step(&world, 0.05f);
    ASSERT_NE(ball->position.x, 1.0f);
    EXPECT_FLOAT_EQ(runner->desired_velocity.x, (ball->position.x - x) * runner->speed);
    EXPECT_FLOAT_EQ(runner->desired_velocity.y, (ball->position.y - y) * runner->speed);
}

// --- Randomised soak -------------------------------------------------------

bool finite3(const Vec3 &v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Everything a step writes stays finite, for mice and balls in the World and
// for those that have left it.
void expect_all_finite(const std::vector<Mouse *> &mice, const std::vector<Ball *> &balls, int step)
{
    for (const Mouse *m : mice) {
        ASSERT_TRUE(finite3(m->position) && finite3(m->velocity) && finite3(m->desired_velocity) &&
                    finite3(m->push))
            << "mouse " << m->id << " at step " << step;
        ASSERT_TRUE(std::isfinite(m->heading) && std::isfinite(m->held_heading) &&
                    std::isfinite(m->wander_heading) && std::isfinite(m->wander_target))
            << "mouse " << m->id << " at step " << step;
        ASSERT_GE(m->drive, 0.0f);
        ASSERT_LE(m->drive, 1.0f);
        if (m->drive > 0.0f) {
            ASSERT_GE(m->heading, 0.0f) << "mouse " << m->id << " at step " << step;
            ASSERT_LT(m->heading, 360.0f) << "mouse " << m->id << " at step " << step;
        }
    }
    for (const Ball *b : balls) {
        ASSERT_TRUE(finite3(b->position) && finite3(b->last_position) && finite3(b->push) &&
                    finite3(b->path0) && finite3(b->path1) && finite3(b->path2) &&
                    finite3(b->path3))
            << "ball " << b->id << " at step " << step;
        ASSERT_TRUE(std::isfinite(b->heading) && std::isfinite(b->roll)) << "ball " << b->id;
        ASSERT_GE(b->heading, 0.0f);
        ASSERT_LT(b->heading, 360.0f);
        ASSERT_LE(std::fabs(b->position.x), 10.0f) << "a ball is never flung";
        ASSERT_LE(std::fabs(b->position.y), 10.0f) << "a ball is never flung";
    }
}

int count_mice(const World &w)
{
    int n = 0;
    for (const Mouse *m = w.mice; m; m = m->next)
        n++;
    return n;
}

struct Soak {
    World world{};
    std::vector<Mouse *> mice;  // every mouse made, also those that left
    std::vector<Ball *> balls;
};

// Distances at which a new mouse or ball is put beside an existing one:
// on it, nearly on it, and close.
const float soak_offsets[] = {0.0f, 1e-38f, 1e-30f, 1e-7f, 1e-4f, 1e-3f, 0.01f, 0.05f};
const float soak_dts[] = {1.0f / 75.0f, 1.0f / 75.0f, 0.001f, 0.02f, 0.05f, 0.1f};

float rand_between(float lo, float hi)
{
    return lo + (hi - lo) * random_unit();
}

// A point on or beside the newest mouse or ball, or a random point on or
// around the floor.
Vec3 soak_point(const Soak &s)
{
    Vec3 p = {rand_between(-1.3f, 1.3f), rand_between(-1.3f, 1.3f), 0.0f};
    int r = rand() % 3;
    const Vec3 *near = nullptr;
    if (r == 0 && s.world.mice)
        near = &s.world.mice->position;
    else if (r == 1 && s.world.balls)
        near = &s.world.balls->position;
    if (near && std::fabs(near->x) < 1.3f &&
        std::fabs(near->y) < 1.3f)  // not a mouse flung far off
        p = *near;
    float offset = soak_offsets[rand() % (sizeof soak_offsets / sizeof *soak_offsets)];
    p.x += offset;
    p.y += (rand() % 2) ? offset : 0.0f;
    p.z = 0.0f;
    return p;
}

// Runs steps of a busy World: mice of all behaviours and balls of all kinds
// come and go, often placed on or right beside one another, with frame steps
// short and long and the inertia switching. Returns a digest of the end state.
uint64_t run_soak(unsigned seed, int steps)
{
    Soak s;
    world_reset(&s.world, 1.0f, 1.0f);
    inertia = inertia_target = 0.5f;
    srand(seed);
    for (int step = 0; step < steps; step++) {
        int r = rand() % 100;
        if (r < 10 && count_mice(s.world) < 60) {
            Vec3 p = soak_point(s);
            Mouse *m = mouse_create(&s.world, p.x, p.y, 0.0f, rand_between(0.0f, 359.0f),
                                    rand_between(0.25f, 2.25f));
            m->behaviour = BEHAVIOUR_WANDER + rand() % 3;
            if (m->behaviour == BEHAVIOUR_FOLLOW && !s.mice.empty() && rand() % 4)
                m->leader = s.mice[rand() % s.mice.size()];
            s.mice.push_back(m);
        } else if (r < 13) {
            Ball *b = ball_create(&s.world, rand() % 4, rand() % 4);
            if (rand() % 2) {
                Vec3 p = soak_point(s);
                b->position.x = p.x;
                b->position.y = p.y;
            }
            s.balls.push_back(b);
        } else if (r < 16) {
            world_send_oldest_mouse_away(&s.world);
        } else if (r == 16 && rand() % 8 == 0) {
            world_send_mice_away(&s.world);
        } else if (r == 17 && rand() % 4 == 0) {
            world_send_balls_off(&s.world);
        } else if (r == 18) {
            inertia_target = inertia_target == 0.5f ? 0.99f : 0.5f;
        } else if (r == 19) {
            s.world.show_arena = !s.world.show_arena;
        }
        world_step(&s.world, soak_dts[rand() % (sizeof soak_dts / sizeof *soak_dts)]);
        expect_all_finite(s.mice, s.balls, step);
        if (::testing::Test::HasFatalFailure()) {
            world_release_records(&s.world);
            return 0;
        }
    }

    uint64_t digest = 1469598103934665603ull;
    auto mix = [&digest](const void *p, size_t n) {
        const unsigned char *c = (const unsigned char *)p;
        for (size_t i = 0; i < n; i++)
            digest = (digest ^ c[i]) * 1099511628211ull;
    };
    for (const Mouse *m : s.mice) {
        mix(&m->position, sizeof m->position);
        mix(&m->velocity, sizeof m->velocity);
        mix(&m->heading, sizeof m->heading);
    }
    for (const Ball *b : s.balls) {
        mix(&b->position, sizeof b->position);
        mix(&b->roll, sizeof b->roll);
    }
    world_release_records(&s.world);
    return digest;
}

TEST(WorldSoak, EverythingStaysFinite)
{
    for (unsigned seed : {1u, 2u, 3u, 4u})
        run_soak(seed, 4000);
}

TEST(WorldSoak, RunsAreReproducible)
{
    uint64_t a = run_soak(7, 1500);
    uint64_t b = run_soak(7, 1500);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, run_soak(8, 1500));
}

}  // namespace
