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
    srand((unsigned)time(nullptr));
    world_reset(&show_world, 1.0f, 1.0f);
    if (load_models() != 0) {
        fwrite("Mouse load error!!!\n", 1, 20, stderr);
        return -1;
    }
    if (audio_start() != 0)
        return -1;
    show_flags = rand();
    load_title_assets(show_flags);
    return 0;
}

float frame_dt(int t, int previous_t)
{
    return (float)((double)(float)(t - previous_t) * 0.001);
}

void show_frame(int t)
{
    float dt = frame_dt(t, previous_frame_time);
    previous_frame_time = t;
    if (title_active)
        draw_title_scene((double)t, show_flags);
    else
        main_scene_frame(dt);
    director_step();
}

void set_title_active(int value)
{
    title_active = value;
}
