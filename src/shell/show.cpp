// Start-up of the show and the frame dispatch.
#include "shell/shell.h"

#include "direction/direction.h"
#include "models/models.h"
#include "synth/synth.h"
#include "world/world.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

int title_active = 1;
int show_flags;

static int previous_frame_time = 0;  // milliseconds, as passed to the last show_frame

int show_init()
{
    return show_start((unsigned)time(nullptr), SHOW_AUDIO_DEVICE);
}

int show_start(unsigned seed, int audio)
{
    srand(seed);
    show_reset();
    if (load_models() != 0) {
        fwrite("Mouse load error!!!\n", 1, 20, stderr);
        return -1;
    }
    if ((audio == SHOW_AUDIO_DEVICE ? audio_start() : synth_start()) != 0)
        return -1;
    show_flags = rand();
    load_title_assets(show_flags);
    return 0;
}

void show_reset()
{
    world_release_records(&show_world);
    world_reset(&show_world, 1.0f, 1.0f);
    inertia_reset();
    direction_reset();
    title_active = 1;
    previous_frame_time = 0;
    show_flags = 0;
}

void show_end()
{
    world_release_records(&show_world);
    unload_models();
}

float frame_dt(int t, int previous_t)
{
    return (float)((double)(float)(t - previous_t) * 0.001);
}

void show_frame(int t)
{
    show_run_frame(t, FRAME_DRAWN);
}

void show_run_frame(int t, int how)
{
    float dt = frame_dt(t, previous_frame_time);
    previous_frame_time = t;
    if (title_active) {
        if (how == FRAME_DRAWN)
            draw_title_scene((double)t, show_flags);  // a pure function of t: nothing to advance
    } else if (how == FRAME_DRAWN) {
        main_scene_frame(dt);
    } else {
        main_scene_advance(dt);
    }
    director_step();
}

void set_title_active(int value)
{
    title_active = value;
}
