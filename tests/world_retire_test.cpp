#include "world/world.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RetireTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        world_release_records(&world);
    }
    void SetUp() override
    {
        world_reset(&world, 1.0f, 1.0f);
    }
    // Spawns n wanderers in a row; returns them oldest first.
    std::vector<Mouse *> spawn_row(int n)
    {
        std::vector<Mouse *> mice;
        for (int i = 0; i < n; i++)
            mice.push_back(spawn_wanderer(&world, -0.8f + 0.2f * (float)i, 0.0f, 0.0f, 0.0f));
        return mice;
    }
    World world{};
};

TEST_F(RetireTest, OldestMouseIsTheLastOfTheList)
{
    EXPECT_EQ(world_oldest_mouse(&world), nullptr);
    auto mice = spawn_row(2);
    EXPECT_EQ(world.mice, mice[1]);
    EXPECT_EQ(world_oldest_mouse(&world), mice[0]);
}

TEST_F(RetireTest, SendOldestAwaySkipsMiceAlreadyLeaving)
{
    EXPECT_EQ(world_send_oldest_mouse_away(&world), nullptr);

    auto mice = spawn_row(4);
    mice[0]->state = MOUSE_SPINNING_OUT;
    mice[1]->state = MOUSE_RUNNING_DOWN;
    mice[1]->drive = 0.5f;
    mice[2]->drive = 0.25f;  // active: its drive is set back to 1
    EXPECT_EQ(world_send_oldest_mouse_away(&world), mice[2]);
    EXPECT_EQ(mice[2]->state, MOUSE_RUNNING_DOWN);
    EXPECT_EQ(mice[2]->drive, 1.0f);
    EXPECT_EQ(mice[1]->drive, 0.5f);
    EXPECT_EQ(mice[3]->state, MOUSE_ACTIVE);

    EXPECT_EQ(world_send_oldest_mouse_away(&world), mice[3]);
    EXPECT_EQ(world_send_oldest_mouse_away(&world), nullptr);  // all leaving
}

TEST_F(RetireTest, SendMiceAwayTouchesOnlyActiveMice)
{
    auto mice = spawn_row(3);
    mice[0]->state = MOUSE_SPINNING_OUT;
    mice[0]->drive = 0.0f;
    mice[1]->drive = 0.7f;
    world_send_mice_away(&world);
    EXPECT_EQ(mice[0]->state, MOUSE_SPINNING_OUT);
    EXPECT_EQ(mice[0]->drive, 0.0f);
    for (Mouse *m : {mice[1], mice[2]}) {
        EXPECT_EQ(m->state, MOUSE_RUNNING_DOWN);
        EXPECT_EQ(m->drive, 1.0f);
    }

    mice[1]->drive = 0.4f;  // partly run down
    world_send_mice_away(&world);
    EXPECT_EQ(mice[1]->state, MOUSE_RUNNING_DOWN);
    EXPECT_EQ(mice[1]->drive, 0.4f);
    EXPECT_EQ(mice[2]->drive, 1.0f);
}

TEST_F(RetireTest, SendBallsOffStartsEachFlightOnce)
{
    Ball *a = ball_create(&world, BALL_BEACH, 0);
    Ball *b = ball_create(&world, BALL_TENNIS, 1);
    world_send_balls_off(&world);
    for (Ball *ball : {a, b}) {
        EXPECT_EQ(ball->state, BALL_FLYING_OFF);
        EXPECT_EQ(ball->fly_timer, 0.0f);
    }
    a->fly_timer = 0.6f;
    Ball *c = ball_create(&world, BALL_BOWLING, 2);
    c->fly_timer = 9.0f;
    world_send_balls_off(&world);
    EXPECT_EQ(a->fly_timer, 0.6f);
    EXPECT_EQ(c->state, BALL_FLYING_OFF);
    EXPECT_EQ(c->fly_timer, 0.0f);
}

TEST_F(RetireTest, Predecessors)
{
    auto mice = spawn_row(3);  // list: mice[2], mice[1], mice[0]
    Mouse stranger{};
    EXPECT_EQ(mouse_predecessor(mice[2], &world), nullptr);  // the head
    EXPECT_EQ(mouse_predecessor(mice[1], &world), mice[2]);
    EXPECT_EQ(mouse_predecessor(mice[0], &world), mice[1]);
    EXPECT_EQ(mouse_predecessor(&stranger, &world), nullptr);
    EXPECT_EQ(mouse_predecessor(nullptr, &world), nullptr);

    Ball *older = ball_create(&world, BALL_FOOTBALL, 0);
    Ball *newer = ball_create(&world, BALL_FOOTBALL, 1);
    Ball other{};
    EXPECT_EQ(ball_predecessor(newer, &world), nullptr);
    EXPECT_EQ(ball_predecessor(older, &world), newer);
    EXPECT_EQ(ball_predecessor(&other, &world), nullptr);
    EXPECT_EQ(ball_predecessor(nullptr, &world), nullptr);
}

}  // namespace
