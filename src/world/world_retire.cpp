// Sending mice away and balls off, and the list searches they need.
#include "world/world.h"

void world_send_mice_away(World *world)
{
    for (Mouse *m = world->mice; m; m = m->next) {
        if (m->state == MOUSE_ACTIVE) {
            m->drive = 1.0f;
            m->state = MOUSE_RUNNING_DOWN;
        }
    }
}

Mouse *world_oldest_mouse(World *world)
{
    Mouse *m = world->mice;
    if (!m)
        return nullptr;
    while (m->next)
        m = m->next;
    return m;
}

Mouse *world_send_oldest_mouse_away(World *world)
{
    Mouse *m = world_oldest_mouse(world);
    if (!m)
        return nullptr;
    while (m->state == MOUSE_RUNNING_DOWN || m->state == MOUSE_SPINNING_OUT) {
        m = mouse_predecessor(m, world);
        if (!m)
            return nullptr;
    }
    m->state = MOUSE_RUNNING_DOWN;
    m->drive = 1.0f;
    return m;
}

void world_send_balls_off(World *world)
{
    for (Ball *b = world->balls; b; b = b->next) {
        if (b->state != BALL_FLYING_OFF) {
            b->state = BALL_FLYING_OFF;
            b->fly_timer = 0.0f;
        }
    }
}

Mouse *mouse_predecessor(Mouse *mouse, World *world)
{
    if (!mouse)  // the tail's next is none too; that is no predecessor
        return nullptr;
    for (Mouse *m = world->mice; m; m = m->next)
        if (m->next == mouse)
            return m;
    return nullptr;
}

Ball *ball_predecessor(Ball *ball, World *world)
{
    if (!ball)
        return nullptr;
    for (Ball *b = world->balls; b; b = b->next)
        if (b->next == ball)
            return b;
    return nullptr;
}
