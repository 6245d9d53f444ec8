// The scene event handlers on the show's World.
#include "direction/direction_local.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

class SceneEventsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        world_release_records(&show_world);
    }
    void SetUp() override
    {
        world_release_records(&show_world);
        world_reset(&show_world, 1.0f, 1.0f);
        camera_reset();
        act_mouse_count = act_ball_count = wander_variant = chase_variant = 0;
        chain_leader = nullptr;
        srand(1);
    }
    static int count_mice(int state = -1)
    {
        int n = 0;
        for (Mouse *m = show_world.mice; m; m = m->next)
            n += state < 0 || m->state == state;
        return n;
    }
    static int count_balls()
    {
        int n = 0;
        for (Ball *b = show_world.balls; b; b = b->next)
            n++;
        return n;
    }
};

TEST_F(SceneEventsTest, LineFormations)
{
    spawn_wanderer_line(1, 3);
    std::vector<Mouse *> oldest_first;
    for (Mouse *m = show_world.mice; m; m = m->next)
        oldest_first.insert(oldest_first.begin(), m);
    ASSERT_EQ(oldest_first.size(), 3u);
    const float ys[3] = {-1.0f, -1.15f, -1.3f};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(oldest_first[i]->position.x, 0.0f);
        EXPECT_EQ(oldest_first[i]->position.y, ys[i]);
        EXPECT_EQ(oldest_first[i]->heading, 90.0f);
        EXPECT_EQ(oldest_first[i]->behaviour, BEHAVIOUR_WANDER);
    }
    struct {
        int formation;
        float x, y, heading;
    } cases[] = {{0, 1.3f, 0.0f, 180.0f}, {2, -1.3f, 0.0f, 0.0f}};
    for (auto &c : cases) {
        world_release_records(&show_world);
        world_reset(&show_world, 1.0f, 1.0f);
        spawn_runner_line(c.formation, 3);
        EXPECT_EQ(show_world.mice->position.x, c.x);  // the last, farthest out
        EXPECT_EQ(show_world.mice->position.y, c.y);
        EXPECT_EQ(show_world.mice->heading, c.heading);
        EXPECT_EQ(show_world.mice->behaviour, BEHAVIOUR_SEEK_BALL);
    }
    world_release_records(&show_world);
    world_reset(&show_world, 1.0f, 1.0f);
    spawn_wanderer_line(0, 1);
    spawn_wanderer_line(3, 1);  // the very spot of formation 0: refused
    spawn_wanderer_line(4, 2);
    spawn_wanderer_line(-1, 2);
    EXPECT_EQ(count_mice(), 1);
}

TEST_F(SceneEventsTest, WanderActBeginning)
{
    spawn_runner(&show_world, 0.0f, 0.0f, 0.0f, 0.0f);
    Ball *old_ball = ball_create(&show_world, BALL_BEACH, 0);
    inertia_target = 0.99f;
    show_world.background_target[2] = 0.3f;
    act_mouse_count = 5;
    wander_act_event(2, 0);  // not the beginning: nothing
    EXPECT_EQ(act_mouse_count, 5);
    wander_act_event(2, 1);
    EXPECT_EQ(inertia_target, 0.5f);
    EXPECT_EQ(show_world.background_target[2], 0.1f);
    EXPECT_EQ(count_mice(MOUSE_RUNNING_DOWN), 1);
    EXPECT_EQ(old_ball->state, BALL_FLYING_OFF);
    EXPECT_EQ(act_mouse_count, 0);
    EXPECT_EQ(camera_mode, 1);
    EXPECT_EQ(glide_length, 100.0f);
    EXPECT_TRUE(wander_variant == 0 || wander_variant == 1);
}

TEST_F(SceneEventsTest, BallVolleysAtTheBeginningAnd16And32StepsLaterOnly)
{
    wander_act_event(2, 1);
    wander_variant = 1;
    // The director's order at each 16-step boundary: 2, 4, then 5 (no lines
    // in this variant).
    for (int boundary = 0; boundary < 4; boundary++) {
        wander_act_event(4, boundary == 0);
        wander_act_event(5, boundary == 0);
        EXPECT_EQ(act_ball_count, std::min(4 * (boundary + 1), 12)) << boundary;
    }
    EXPECT_EQ(count_balls(), 12);
    EXPECT_EQ(act_mouse_count, 3);
    EXPECT_LE(count_mice(), 3);
    // Four balls a volley, one from each side.
    int sides_y_half = 0;
    for (Ball *b = show_world.balls; b; b = b->next)
        sides_y_half += b->position.y == 0.5f;
    EXPECT_EQ(sides_y_half, 6);
}

// Thirty active wanderers on a grid, clear of the line formations' spots.
void spawn_crowd()
{
    for (int i = 0; i < 30; i++)
        spawn_wanderer(&show_world, -0.75f + 0.3f * (float)(i % 6), -0.6f + 0.3f * (float)(i / 6),
                       0.0f, 0.0f);
}

TEST_F(SceneEventsTest, LinesSendTheOldestAwayPast24)
{
    wander_variant = 0;
    for (int start : {20, 23, 26}) {
        world_release_records(&show_world);
        world_reset(&show_world, 1.0f, 1.0f);
        spawn_crowd();
        ASSERT_EQ(count_mice(MOUSE_ACTIVE), 30);
        Mouse *oldest = world_oldest_mouse(&show_world);
        srand(9);
        int n = (int)(random_unit() * 4.0f + 1.0f);  // the line's first draw
        int total = start + n;
        act_mouse_count = start;
        srand(9);
        wander_act_event(5, 0);
        if (total <= 24) {
            EXPECT_EQ(act_mouse_count, total);
            EXPECT_EQ(count_mice(MOUSE_RUNNING_DOWN), 0);
            continue;
        }
        // keep is 40 to 90 per cent of the count, truncated.
        EXPECT_GE(act_mouse_count, total * 4 / 10) << start;
        EXPECT_LE(act_mouse_count, total * 9 / 10) << start;
        EXPECT_EQ(count_mice(MOUSE_RUNNING_DOWN), total - act_mouse_count) << start;
        EXPECT_EQ(oldest->state, MOUSE_RUNNING_DOWN);  // the oldest go first
    }
}

TEST_F(SceneEventsTest, TheCountReaching27)
{
    wander_variant = 0;
    int seen = 0;
    for (int seed = 1; seed <= 60; seed++) {
        srand((unsigned)seed);
        if ((int)(random_unit() * 4.0f + 1.0f) != 4)
            continue;
        seen++;
        world_release_records(&show_world);
        world_reset(&show_world, 1.0f, 1.0f);
        spawn_crowd();
        act_mouse_count = 23;
        srand((unsigned)seed);
        wander_act_event(5, 0);
        EXPECT_GE(act_mouse_count, 10) << seed;
        EXPECT_LE(act_mouse_count, 24) << seed;
        EXPECT_EQ(count_mice(MOUSE_RUNNING_DOWN), 27 - act_mouse_count) << seed;
    }
    EXPECT_GT(seen, 3);
}

TEST_F(SceneEventsTest, WanderCameraFollowsTheNewestOrFallsBackToTheCentre)
{
    wander_variant = 0;
    int start_mode = camera_mode;
    wander_act_event(7, 1);  // not at the act's beginning
    EXPECT_EQ(camera_mode, start_mode);
    EXPECT_EQ(glide_length, 10.0f);  // the reset's glide, untouched
    wander_act_event(7, 0);
    EXPECT_EQ(camera_mode, 0);  // no mouse to follow
    EXPECT_EQ(glide_length, 10.0f);
    EXPECT_GE(camera_height, 0.0f);
    EXPECT_LT(camera_height, 0.4f);

    Mouse *m = spawn_wanderer(&show_world, 0.2f, 0.3f, 0.0f, 45.0f);
    for (int i = 0; i < 20; i++) {
        wander_act_event(7, 0);
        if (camera_mode != 0)
            break;
    }
    EXPECT_EQ(follow_position, &m->position);
    EXPECT_EQ(follow_heading, &m->heading);

    wander_variant = 1;
    wander_act_event(7, 0);
    EXPECT_EQ(camera_mode, 0);  // no ball
    Ball *b = ball_create(&show_world, BALL_TENNIS, 2);
    for (int i = 0; i < 20; i++) {
        wander_act_event(7, 0);
        if (camera_mode != 0)
            break;
    }
    EXPECT_EQ(follow_position, &b->position);
    EXPECT_EQ(follow_heading, &b->heading);

    wander_act_event(6, 0);
    EXPECT_LE(camera_angle_targets[0], 0.0f);
    EXPECT_GT(camera_angle_targets[0], -16.0f);
}

TEST_F(SceneEventsTest, FirstChaseActFollowsItsNewBallWithAOneSecondGlide)
{
    Mouse *old_mouse = spawn_wanderer(&show_world, 0.0f, 0.0f, 0.0f, 0.0f);
    chase_act_event(2, 1);
    ASSERT_EQ(count_balls(), 1);
    EXPECT_EQ(camera_mode, 2);
    EXPECT_EQ(glide_length, 1.0f);
    EXPECT_EQ(follow_position, &show_world.balls->position);
    EXPECT_EQ(follow_heading, &no_heading);
    EXPECT_EQ(old_mouse->state, MOUSE_RUNNING_DOWN);
    EXPECT_EQ(act_mouse_count, 0);
    if (chase_variant == 1) {
        EXPECT_EQ(inertia_target, 0.99f);
        EXPECT_EQ(show_world.background_target[2], 0.3f);
    } else {
        EXPECT_EQ(inertia_target, 0.5f);
        EXPECT_EQ(show_world.background_target[0], 0.3f);
    }
}

TEST_F(SceneEventsTest, ChainOfFollowersBehindALeadingRunner)
{
    // Find a seed whose chase act is the chain.
    for (unsigned seed = 1;; seed++) {
        world_release_records(&show_world);
        world_reset(&show_world, 1.0f, 1.0f);
        srand(seed);
        chase_act_event(2, 1);
        if (chase_variant == 2)
            break;
        ASSERT_LT(seed, 200u);
    }
    Mouse *leader = chain_leader;
    ASSERT_NE(leader, nullptr);
    EXPECT_EQ(leader->position.x, 1.0f);
    EXPECT_EQ(leader->position.y, 0.0f);
    EXPECT_EQ(leader->heading, 180.0f);
    EXPECT_EQ(leader->behaviour, BEHAVIOUR_SEEK_BALL);

    chase_act_event(2, 0);
    Mouse *first = chain_leader;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->leader, leader);
    EXPECT_EQ(first->position.x, 0.0f);
    EXPECT_EQ(first->position.y, -1.0f);
    EXPECT_EQ(first->heading, 90.0f);
    EXPECT_EQ(first->behaviour, BEHAVIOUR_FOLLOW);

    first->position.y = -0.5f;  // walked in; the spot is free again
    chase_act_event(2, 0);
    ASSERT_NE(chain_leader, nullptr);
    EXPECT_EQ(chain_leader->leader, first);

    // A refused follower leaves no leader for the next one.
    chase_act_event(2, 0);
    EXPECT_EQ(chain_leader, nullptr);
    EXPECT_EQ(act_mouse_count, 3);  // refused spawns count too
    show_world.mice->position.y = 0.5f;
    chase_act_event(2, 0);
    ASSERT_NE(chain_leader, nullptr);
    EXPECT_EQ(chain_leader->leader, nullptr);

    // At most eight a chase act.
    act_mouse_count = 8;
    Mouse *head = show_world.mice;
    chase_act_event(2, 0);
    EXPECT_EQ(show_world.mice, head);
    EXPECT_EQ(act_mouse_count, 8);
}

TEST_F(SceneEventsTest, ChaseCode6BringsThreeWanderersAndPicksACamera)
{
    ball_create(&show_world, BALL_FOOTBALL, 0);
    chase_act_event(6, 1);  // nothing at the act's beginning
    EXPECT_EQ(count_mice(), 0);
    chase_act_event(6, 0);
    EXPECT_EQ(count_mice(), 3);  // formation 3 is refused where 0 stood
    EXPECT_EQ(act_mouse_count, 0);
    EXPECT_TRUE(camera_mode == 5 || camera_mode == 6);
    EXPECT_EQ(glide_length, 1.0f);
    if (camera_mode == 5) {
        EXPECT_EQ(follow_position, &world_oldest_mouse(&show_world)->position);
        EXPECT_EQ(follow_heading, &world_oldest_mouse(&show_world)->heading);
    } else {
        EXPECT_EQ(follow_position, &show_world.balls->position);
        EXPECT_EQ(follow_heading, &no_heading);
    }
}

TEST_F(SceneEventsTest, ChaseCameraFallsBackWithoutMiceOrBalls)
{
    // No ball: the wanderers enter but there is nothing to chase.
    chase_act_event(6, 0);
    EXPECT_EQ(camera_mode, 0);
    // No mouse: every spot of the four formations taken by a leaving mouse
    // would still count as a mouse, so empty the list instead.
    world_release_records(&show_world);
    world_reset(&show_world, 1.0f, 1.0f);
    ball_create(&show_world, BALL_BEACH, 1);
    show_world.half_width = 100.0f;  // the lines spawn far away but still spawn
    chase_act_event(6, 0);
    EXPECT_NE(camera_mode, 0);
    show_world.mice = nullptr;
    show_world.balls = nullptr;
    chase_act_event(6, 0);  // spawns again, so take the balls
    EXPECT_EQ(camera_mode, 0);
}

TEST_F(SceneEventsTest, ChaseCode7ThrowsABallAndSendsTwoAway)
{
    for (int i = 0; i < 3; i++)
        spawn_runner(&show_world, -0.5f + 0.3f * (float)i, 0.0f, 0.0f, 0.0f);
    chase_variant = 0;
    act_mouse_count = 3;
    chase_act_event(7, 1);
    EXPECT_EQ(count_balls(), 0);
    chase_act_event(7, 0);
    EXPECT_EQ(count_balls(), 1);
    EXPECT_EQ(count_mice(MOUSE_RUNNING_DOWN), 2);
    EXPECT_EQ(act_mouse_count, 1);
    chase_act_event(7, 0);  // only one left to send: the count still drops by 2
    EXPECT_EQ(act_mouse_count, -1);
    chase_variant = 2;
    chase_act_event(7, 0);
    EXPECT_EQ(act_mouse_count, -1);
    EXPECT_EQ(count_balls(), 3);
}

}  // namespace
