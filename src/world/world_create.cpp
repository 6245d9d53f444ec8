// World reset, the random unit, and the creation of mice and balls.
#include "world/world.h"

#include <cmath>
#include <cstdlib>
#include <new>

World show_world;

static int next_mouse_id = 0;  // grows by one per mouse created, never reused
static int next_ball_id = 0;   // grows by one per ball created, never reused

struct BallKindValues {
    float radius;
    float hop_height;
    float hop_period;
    float base_segment_duration;  // seconds
};

static constexpr BallKindValues ball_kinds[4] = {
    {0.1f, 0.35f, 0.9f, 0.8f},   // beach ball
    {0.1f, 0.0f, 0.5f, 0.6f},    // football
    {0.03f, 0.25f, 0.8f, 0.7f},  // tennis ball
    {0.1f, 0.0f, 0.5f, 1.0f},    // bowling ball
};

// Where a ball starts, on the edge of the floor (not scaled by its size).
static constexpr float side_points[4][2] = {
    {1.0f, 0.5f},
    {-1.0f, 0.5f},
    {0.5f, 1.0f},
    {0.5f, -1.0f},
};

float random_unit_of(int32_t r)
{
    // The 64 largest values of r convert to 2^31 exactly, which would make
    // the product 1; every caller needs a result below 1, so those give the
    // largest float below 1 instead.
    float u = (float)r * 0x1p-31f;
    return u < 1.0f ? u : 0x1.fffffep-1f;
}

float random_unit()
{
    return random_unit_of(rand());
}

void world_reset(World *world, float half_width, float half_depth)
{
    world->show_arena = 1;
    world->mice = nullptr;
    world->balls = nullptr;
    world->background[0] = world->background_target[0] = 0.3f;
    world->background[1] = world->background_target[1] = 0.2f;
    world->background[2] = world->background_target[2] = 0.1f;
    world->half_width = half_width;
    world->half_depth = half_depth;
    world->allocated_mice = nullptr;
    world->allocated_balls = nullptr;
    world->mice_allocated = 0;
    world->balls_allocated = 0;
}

void world_release_records(World *world)
{
    for (Mouse *m = world->allocated_mice; m;) {
        Mouse *older = m->allocated_next;
        delete m;
        m = older;
    }
    for (Ball *b = world->allocated_balls; b;) {
        Ball *older = b->allocated_next;
        delete b;
        b = older;
    }
    world->mice = nullptr;
    world->balls = nullptr;
    world->allocated_mice = nullptr;
    world->allocated_balls = nullptr;
    world->mice_allocated = 0;
    world->balls_allocated = 0;
}

Mouse *mouse_create(World *world, float x, float y, float z, float heading, float speed)
{
    Mouse *mouse = new (std::nothrow) Mouse{};
    if (!mouse)
        return nullptr;
    mouse->next = world->mice;
    world->mice = mouse;
    mouse->allocated_next = world->allocated_mice;
    world->allocated_mice = mouse;
    world->mice_allocated++;
    mouse->id = next_mouse_id++;
    mouse->position = {x, y, z};
    mouse->heading = heading;
    mouse->wander_heading = heading;
    mouse->wander_target = heading;
    mouse->speed = speed;
    mouse->radius = 0.05f;
    mouse->wall_margin = 0.1f;
    mouse->wander_timer = 10.0f;
    mouse->state = MOUSE_ACTIVE;
    mouse->drive = 1.0f;
    mouse->entering = 1;
    return mouse;
}

Mouse *world_mouse_near(float x, float y, float z, World *world)
{
    for (Mouse *m = world->mice; m; m = m->next) {
        float dx = m->position.x - x;
        float dy = m->position.y - y;
        float dz = m->position.z - z;
        double d = std::sqrt((double)(dx * dx + dy * dy + dz * dz));
        float e = (float)(d - m->radius);
        if (!(e > 0.05f))  // not a number counts as near
            return m;
    }
    return nullptr;
}

// A spawn's random speed: (u + 0.5) * scale, computed in double.
static float random_speed(double scale)
{
    return (float)(((double)random_unit() + 0.5) * scale);
}

// Sets what tells the three kinds of spawned mouse apart.
static Mouse *finish_spawn(Mouse *mouse, int body_colour, int behaviour, Mouse *leader)
{
    if (mouse) {
        mouse->body_colour = body_colour;
        mouse->behaviour = behaviour;
        mouse->leader = leader;
    }
    return mouse;
}

Mouse *spawn_wanderer(World *world, float x, float y, float z, float heading)
{
    if (world_mouse_near(x, y, z, world))
        return nullptr;
    Mouse *mouse = mouse_create(world, x, y, z, heading, random_speed(0.5));
    return finish_spawn(mouse, 2, BEHAVIOUR_WANDER, nullptr);
}

Mouse *spawn_runner(World *world, float x, float y, float z, float heading)
{
    if (world_mouse_near(x, y, z, world))
        return nullptr;
    Mouse *mouse = mouse_create(world, x, y, z, heading, random_speed(1.5));
    return finish_spawn(mouse, 1, BEHAVIOUR_SEEK_BALL, nullptr);
}

Mouse *spawn_follower(World *world, float x, float y, float z, float heading, Mouse *leader)
{
    if (world_mouse_near(x, y, z, world))
        return nullptr;
    Mouse *mouse = mouse_create(world, x, y, z, heading, 1.0f);
    return finish_spawn(mouse, 0, BEHAVIOUR_FOLLOW, leader);
}

Ball *ball_create(World *world, int kind, int side)
{
    Ball *ball = new (std::nothrow) Ball{};
    if (!ball)
        return nullptr;
    ball->next = world->balls;
    world->balls = ball;
    ball->allocated_next = world->allocated_balls;
    world->allocated_balls = ball;
    world->balls_allocated++;
    ball->id = next_ball_id++;

    float x = side_points[side][0];
    float y = side_points[side][1];
    ball->path0 = {x, y, 0.0f};
    ball->path1 = {x, y, 0.0f};
    ball->position = {x, y, 0.0f};
    ball->last_position = {x, y, 0.0f};
    ball->path2 = {0.0f, 0.0f, 0.0f};
    ball->path3 = {0.0f, 0.0f, 0.0f};

    ball->heading = 0.0f;
    ball->roll = 0.0f;
    ball->segment = 0;
    ball->hop_timer = 0.0f;
    ball->segment_timer = 0.0f;
    ball->segments_per_lap = 8;
    ball->state = BALL_ROLLING;
    ball->kind = kind;

    const BallKindValues &values = ball_kinds[kind];
    ball->radius = values.radius;
    ball->hop_height = values.hop_height;
    ball->hop_period = values.hop_period;
    ball->segment_duration =
        (float)((double)values.base_segment_duration * ((double)random_unit() + 0.5));
    return ball;
}
