// The frame loop: never sleeps, draws whenever the clock enters a new 75th
// of a second, and drains the event queue between frames.
#include "shell/shell.h"
#include "world/world.h"

#include <SDL/SDL.h>

int frame_index_of(uint32_t ticks)
{
    return (int)((double)(int32_t)ticks * 0.075);
}

FrameLoop frame_loop_start(uint32_t loop_start)
{
    return FrameLoop{RUN_RUNNING, -1, loop_start};
}

void frame_loop_ending_pass(FrameLoop *loop, World *world)
{
    if (loop->run_state != RUN_ENDING)
        return;
    world_send_mice_away(world);
    world_send_balls_off(world);
    if (!world->mice)
        loop->run_state = RUN_QUIT;
}

int frame_loop_frame_due(FrameLoop *loop, uint32_t now)
{
    int index = frame_index_of(now);
    if (index == loop->last_frame_index)
        return 0;
    loop->last_frame_index = index;
    return 1;
}

void frame_loop_input(FrameLoop *loop, int input, World *world)
{
    if (input == LOOP_INPUT_QUIT) {
        loop->run_state = RUN_QUIT;
    } else if (input == LOOP_INPUT_ESCAPE) {
        if (loop->run_state == RUN_ENDING) {
            loop->run_state = RUN_QUIT;
        } else if (loop->run_state == RUN_RUNNING) {
            loop->run_state = RUN_ENDING;
            world_send_mice_away(world);
            world_send_balls_off(world);
        }
    }
}

int loop_input_of(const SDL_Event *event)
{
    switch (event->type) {
    case SDL_QUIT:
    case SDL_MOUSEBUTTONDOWN:  // any button, the wheel included
        return LOOP_INPUT_QUIT;
    case SDL_KEYDOWN:
        return event->key.keysym.sym == SDLK_ESCAPE ? LOOP_INPUT_ESCAPE : LOOP_INPUT_OTHER;
    default:
        return LOOP_INPUT_OTHER;
    }
}

void frame_loop_run(FrameLoop *loop)
{
    for (;;) {
        frame_loop_ending_pass(loop, &show_world);

        uint32_t now = SDL_GetTicks();
        if (frame_loop_frame_due(loop, now)) {
            show_frame((int)(now - loop->loop_start));
            SDL_GL_SwapBuffers();
        }

        SDL_Event event;
        while (SDL_PollEvent(&event))
            frame_loop_input(loop, loop_input_of(&event), &show_world);

        if (loop->run_state == RUN_QUIT)
            break;
    }
}
