#include "shell/shell.h"
#include "world/world.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace {

TEST(FrameIndex, WholeSeventyFifthsOfTheClock)
{
    struct {
        uint32_t ticks;
        int index;
    } cases[] = {
        {0, 0},           {13, 0},
        {14, 1},          {26, 1},
        {27, 2},          {39, 2},
        {40, 3},          {1000, 75},
        {60000, 4500},    {0x7fffffffu, 161061273},  // largest positive reading
        {0xffffffffu, 0},                            // taken as signed: -1 ms
    };
    for (const auto &c : cases)
        EXPECT_EQ(frame_index_of(c.ticks), c.index) << "ticks " << c.ticks;
}

TEST(FrameDt, MillisecondsToSeconds)
{
    struct {
        int t, previous;
        float dt;
    } cases[] = {
        {4, 0, 0.004f},  // first frame: the few ms since the loop start
        {1013, 1000, 0.013f},
        {1000, 1000, 0.0f},
        {5000, 1000, 4.0f},  // a late frame carries the whole gap
    };
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(frame_dt(c.t, c.previous), c.dt) << c.t << " - " << c.previous;
    // Converted to float before the multiply in double.
    EXPECT_EQ(frame_dt(16777217, 0), (float)(16777216.0 * 0.001));
}

// One pass of the loop as frame_loop_run makes it, with the clock and the
// events given; returns whether it drew a frame.
int pass(FrameLoop *loop, World *world, uint32_t now, std::initializer_list<int> inputs = {})
{
    frame_loop_ending_pass(loop, world);
    int drew = frame_loop_frame_due(loop, now);
    for (int input : inputs)
        frame_loop_input(loop, input, world);
    return drew;
}

class FrameLoopTest : public ::testing::Test {
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
    FrameLoop loop = frame_loop_start(0);
};

TEST_F(FrameLoopTest, StartsRunningWithNoFrameDrawn)
{
    EXPECT_EQ(loop.run_state, RUN_RUNNING);
    EXPECT_EQ(loop.last_frame_index, -1);
}

TEST_F(FrameLoopTest, OneFramePerSlotAndTheFirstPassDraws)
{
    EXPECT_EQ(pass(&loop, &world, 0), 1);  // first pass always draws
    EXPECT_EQ(pass(&loop, &world, 5), 0);  // same slot
    EXPECT_EQ(pass(&loop, &world, 13), 0);
    EXPECT_EQ(pass(&loop, &world, 14), 1);   // next slot
    EXPECT_EQ(pass(&loop, &world, 200), 1);  // slots skipped, not made up
    EXPECT_EQ(pass(&loop, &world, 201), 0);
    EXPECT_EQ(loop.last_frame_index, 15);
}

TEST_F(FrameLoopTest, ClickOrCloseEndsThePassItIsReadIn)
{
    pass(&loop, &world, 0, {LOOP_INPUT_OTHER, LOOP_INPUT_QUIT});
    EXPECT_EQ(loop.run_state, RUN_QUIT);
}

TEST_F(FrameLoopTest, EscapeStartsTheEndingAndASecondEscapeEndsIt)
{
    spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
    ball_create(&world, BALL_FOOTBALL, 0);

    pass(&loop, &world, 0, {LOOP_INPUT_ESCAPE});
    EXPECT_EQ(loop.run_state, RUN_ENDING);
    EXPECT_EQ(world.mice->state, MOUSE_RUNNING_DOWN);  // sent away at once
    EXPECT_EQ(world.balls->state, BALL_FLYING_OFF);

    pass(&loop, &world, 20);  // a mouse is still there: the ending goes on
    EXPECT_EQ(loop.run_state, RUN_ENDING);

    pass(&loop, &world, 40, {LOOP_INPUT_ESCAPE});
    EXPECT_EQ(loop.run_state, RUN_QUIT);
}

TEST_F(FrameLoopTest, EndingSendsAwayWhatAppearsAndEndsWhenNoMouseIsLeft)
{
    pass(&loop, &world, 0, {LOOP_INPUT_ESCAPE});
    Mouse *late = spawn_runner(&world, 0.5f, 0.5f, 0.0f, 90.0f);  // spawned during the ending
    Ball *ball = ball_create(&world, BALL_BEACH, 1);
    pass(&loop, &world, 20);
    EXPECT_EQ(late->state, MOUSE_RUNNING_DOWN);
    EXPECT_EQ(ball->state, BALL_FLYING_OFF);
    EXPECT_EQ(loop.run_state, RUN_ENDING);

    world.mice = nullptr;  // the last mouse has left
    pass(&loop, &world, 40);
    EXPECT_EQ(loop.run_state, RUN_QUIT);
}

TEST_F(FrameLoopTest, EscapeDuringTheTitleEndsOnTheNextPass)
{
    pass(&loop, &world, 0, {LOOP_INPUT_ESCAPE});
    EXPECT_EQ(loop.run_state, RUN_ENDING);
    pass(&loop, &world, 1);
    EXPECT_EQ(loop.run_state, RUN_QUIT);
}

TEST_F(FrameLoopTest, CloseAndEscapeInOnePassEndAfterIt)
{
    for (auto order : {std::initializer_list<int>{LOOP_INPUT_QUIT, LOOP_INPUT_ESCAPE},
                       std::initializer_list<int>{LOOP_INPUT_ESCAPE, LOOP_INPUT_QUIT}}) {
        FrameLoop l = frame_loop_start(0);
        spawn_wanderer(&world, 0.0f, 0.0f, 0.0f, 0.0f);
        pass(&l, &world, 0, order);
        EXPECT_EQ(l.run_state, RUN_QUIT);
    }
}

TEST(LoopInput, WhatEachEventMeans)
{
    auto of_type = [](int type) {
        SDL_Event e{};
        e.type = (Uint8)type;
        return e;
    };
    SDL_Event quit = of_type(SDL_QUIT);
    EXPECT_EQ(loop_input_of(&quit), LOOP_INPUT_QUIT);
    for (int button : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_RIGHT, SDL_BUTTON_WHEELUP,
                       SDL_BUTTON_WHEELDOWN}) {
        SDL_Event press = of_type(SDL_MOUSEBUTTONDOWN);
        press.button.button = (Uint8)button;
        EXPECT_EQ(loop_input_of(&press), LOOP_INPUT_QUIT) << "button " << button;
    }
    SDL_Event escape = of_type(SDL_KEYDOWN);
    escape.key.keysym.sym = SDLK_ESCAPE;
    EXPECT_EQ(loop_input_of(&escape), LOOP_INPUT_ESCAPE);

    SDL_Event other_key = of_type(SDL_KEYDOWN);
    other_key.key.keysym.sym = SDLK_SPACE;
    SDL_Event escape_up = of_type(SDL_KEYUP);
    escape_up.key.keysym.sym = SDLK_ESCAPE;
    SDL_Event release = of_type(SDL_MOUSEBUTTONUP);
    SDL_Event motion = of_type(SDL_MOUSEMOTION);
    SDL_Event active = of_type(SDL_ACTIVEEVENT);
    for (const SDL_Event *e : {&other_key, &escape_up, &release, &motion, &active})
        EXPECT_EQ(loop_input_of(e), LOOP_INPUT_OTHER) << "type " << (int)e->type;
}

}  // namespace
