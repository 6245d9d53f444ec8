// The World step: one frame's advance of the whole World.
#include "world/world.h"

static constexpr double background_easing = 0.95;  // share of the old colour kept per step
static constexpr double inertia_easing = 0.9;      // share of the old inertia kept per step

void world_step(World *world, float dt)
{
    for (int i = 0; i < 3; i++)
        world->background[i] = (float)(background_easing * world->background[i] +
                                       (1 - background_easing) * world->background_target[i]);
    inertia = (float)(inertia_easing * inertia + (1 - inertia_easing) * inertia_target);

    // All balls move before any mouse, so seekers head for where a ball is
    // after this step. A record that leaves during its step keeps its next,
    // so each walk still reaches every record behind it.
    for (Ball *ball = world->balls; ball; ball = ball->next)
        ball_step(ball, world, dt);
    for (Mouse *mouse = world->mice; mouse; mouse = mouse->next)
        mouse_step(mouse, world, dt);
}
