// Mouse motion: steering by behaviour, repulsion, velocity easing, the
// overlap undo, and the run-down and spin-out of a mouse sent away.
#include "world/motion_local.h"

#include <algorithm>
#include <cmath>

float inertia = 0.5f;
float inertia_target = 0.5f;

void inertia_reset()
{
    inertia = inertia_target = 0.5f;
}

static constexpr float wander_turn_interval = 0.75f;  // seconds between random turns
static constexpr double wander_turn_range = 360.0;    // degrees, centred on wander_heading
static constexpr double wander_easing = 0.99;         // share of wander_heading kept per step
static constexpr double run_down_rate = 3.0;          // drive lost per second
static constexpr double spin_rate = 20.0;             // degrees per step per second of spinning
static constexpr float spin_duration = 1.5f;          // seconds, then the mouse leaves
static constexpr float seek_bound = 10.0f;            // floor units; farther targets are ignored
static constexpr double wall_push_constant = 5e-14;
static constexpr double wall_factor_cap = 50.0;

void mouse_check_entered(Mouse *mouse, World *world)
{
    double x = mouse->position.x, y = mouse->position.y, r = mouse->radius;
    if (y < world->half_depth - r && y > r - world->half_depth && x < world->half_width - r &&
        x > r - world->half_width)
        mouse->entering = 0;
}

void mouse_wander(Mouse *mouse, World *world, float dt)
{
    mouse->wander_timer += dt;
    if (mouse->wander_timer > wander_turn_interval) {
        mouse->wander_timer = 0.0f;
        double u = random_unit();
        mouse->wander_target = (float)(mouse->wander_heading + wander_turn_range * (u - 0.5));
    }

    // Turn back near a wall; at a corner the x walls win.
    double x = mouse->position.x, y = mouse->position.y, m = mouse->wall_margin;
    if (y < m - world->half_depth)
        mouse->wander_target = 90.0f;
    if (y > world->half_depth - m)
        mouse->wander_target = 270.0f;
    if (x > world->half_width - m)
        mouse->wander_target = 180.0f;
    if (x < m - world->half_width)
        mouse->wander_target = 0.0f;

    // Bring the steering angle within half a turn of the target, so that it
    // eases the short way round; the target itself stays as it is.
    double c = mouse->wander_heading, t = mouse->wander_target;
    double d = std::fabs(t - c);
    if (std::fabs(t - 360 - c) < d)
        mouse->wander_heading = (float)(c + 360);
    if (std::fabs(t + 360 - c) < d)
        mouse->wander_heading = (float)(c - 360);

    mouse->wander_heading =
        (float)(wander_easing * mouse->wander_heading + (1 - wander_easing) * mouse->wander_target);

    double a = mouse->wander_heading * degrees_to_radians;
    mouse->desired_velocity.x = (float)(std::cos(a) * mouse->speed * mouse->drive);
    mouse->desired_velocity.y = (float)(std::sin(a) * mouse->speed * mouse->drive);
}

void mouse_seek(Mouse *mouse, const float target[3])
{
    mouse->desired_velocity = {0.0f, 0.0f, 0.0f};
    if (std::fabs(target[0]) > seek_bound || std::fabs(target[1]) > seek_bound)
        return;
    double k = (double)mouse->speed * mouse->drive;
    mouse->desired_velocity.x = (float)(((double)target[0] - mouse->position.x) * k);
    mouse->desired_velocity.y = (float)(((double)target[1] - mouse->position.y) * k);
}

// The factor of a wall's push at a distance e from it: 5e-14 / e^11, at most
// 50, and 1 at the wall itself (where the push, e times the factor, is 0).
// Where e^11 underflows the quotient is infinite and the cap takes over.
static double wall_factor(double e)
{
    if (e == 0)
        return 1.0;
    return std::min(wall_push_constant / pow11(e), wall_factor_cap);
}

void mouse_push(Mouse *mouse, World *world)
{
    mouse->push = {0.0f, 0.0f, 0.0f};
    for (Mouse *n = world->mice; n; n = n->next)
        if (n->id != mouse->id)
            add_repulsion(&mouse->push, mouse->position, n->position, mouse_push_constant);
    for (Ball *b = world->balls; b; b = b->next)
        add_repulsion(&mouse->push, mouse->position, b->position, mouse_push_constant);

    if (!world->show_arena || mouse->entering)
        return;
    // Each wall pushes away from its own side, also a mouse beyond it.
    double x = mouse->position.x, y = mouse->position.y;
    double e = std::fabs(world->half_depth - y);
    mouse->push.y = (float)(mouse->push.y - e * wall_factor(e));
    e = std::fabs(-world->half_depth - y);
    mouse->push.y = (float)(mouse->push.y + e * wall_factor(e));
    e = std::fabs(-world->half_width - x);
    mouse->push.x = (float)(mouse->push.x + e * wall_factor(e));
    e = std::fabs(world->half_width - x);
    mouse->push.x = (float)(mouse->push.x - e * wall_factor(e));
}

void mouse_heading_from_velocity(Mouse *mouse)
{
    if (mouse->drive == 0.0f) {
        mouse->heading = mouse->held_heading;
        return;
    }
    mouse->heading = heading_of_direction(mouse->desired_velocity.x, mouse->desired_velocity.y);
}

void mouse_integrate(Mouse *mouse, float dt)
{
    double k = inertia;
    float *velocity = &mouse->velocity.x;
    const float *desired = &mouse->desired_velocity.x;
    const float *push = &mouse->push.x;
    float *position = &mouse->position.x;
    for (int i = 0; i < 3; i++) {
        velocity[i] = (float)((1 - k) * desired[i] + k * velocity[i]);
        position[i] = (float)(position[i] + ((double)velocity[i] + push[i]) * dt);
    }
}

Mouse *mouse_find_overlap(Mouse *mouse, World *world)
{
    const Vec3 &p = mouse->position;
    for (Mouse *n = world->mice; n; n = n->next) {
        if (n->id == mouse->id)
            continue;
        double dx = (double)n->position.x - p.x;
        double dy = (double)n->position.y - p.y;
        double dz = (double)n->position.z - p.z;
        if (std::sqrt(dx * dx + dy * dy + dz * dz) - n->radius <= mouse->radius)
            return n;
    }
    return nullptr;
}

// Takes a mouse out of mice. Its own next is kept, so that a walk standing on
// it goes on to the mouse that followed it.
static void mouse_leave(Mouse *mouse, World *world)
{
    if (world->mice == mouse) {
        world->mice = mouse->next;
        return;
    }
    Mouse *before = mouse_predecessor(mouse, world);
    if (before)
        before->next = mouse->next;
}

// Drive falls by 3 per second; below 0 the mouse starts to spin out.
static void mouse_run_down(Mouse *mouse, float dt)
{
    if (mouse->drive > 0.0f)
        mouse->held_heading = mouse->heading;
    mouse->drive = (float)(mouse->drive - run_down_rate * dt);
    if (mouse->drive < 0.0f) {
        mouse->spin_timer = 0.0f;
        mouse->state = MOUSE_SPINNING_OUT;
        mouse->drive = 0.0f;
    }
}

// Turns faster and faster (the heading is not wrapped) and leaves the World
// once it has spun for 1.5 seconds.
static void mouse_spin_out(Mouse *mouse, World *world, float dt)
{
    mouse->spin_timer += dt;
    mouse->heading = (float)(mouse->heading - spin_rate * mouse->spin_timer);
    mouse->held_heading = mouse->heading;
    if (mouse->spin_timer > spin_duration)
        mouse_leave(mouse, world);
}

// Where a follower heads: one radius from its leader's centre, (0, 0) with
// no leader. A leader that has left the World still has its last position.
static void follow_target(const Mouse *leader, float target[3])
{
    target[0] = target[1] = target[2] = 0.0f;
    if (!leader)
        return;
    double a = leader->heading * degrees_to_radians;
    target[0] = (float)(leader->position.x - leader->radius * std::cos(a));
    target[1] = (float)(leader->position.y + leader->radius * std::sin(a));
}

void mouse_step(Mouse *mouse, World *world, float dt)
{
    Vec3 start = mouse->position;
    mouse_check_entered(mouse, world);

    if (mouse->state == MOUSE_RUNNING_DOWN)
        mouse_run_down(mouse, dt);
    else if (mouse->state == MOUSE_SPINNING_OUT)
        mouse_spin_out(mouse, world, dt);
    // A mouse that has just left still finishes this step.

    float target[3] = {0.0f, 0.0f, 0.0f};
    switch (mouse->behaviour) {
    case BEHAVIOUR_WANDER:
        mouse_wander(mouse, world, dt);
        break;
    case BEHAVIOUR_SEEK_BALL:
        if (world->balls) {  // the newest ball, else the floor's centre
            target[0] = world->balls->position.x;
            target[1] = world->balls->position.y;
            target[2] = world->balls->position.z;
        }
        mouse_seek(mouse, target);
        break;
    case BEHAVIOUR_FOLLOW:
        follow_target(mouse->leader, target);
        mouse_seek(mouse, target);
        break;
    }
    mouse_push(mouse, world);
    mouse_heading_from_velocity(mouse);
    mouse_integrate(mouse, dt);

    // A move into another mouse is undone; velocity, push and heading stay,
    // so the mouse tries again next step.
    if (mouse_find_overlap(mouse, world))
        mouse->position = start;
}
