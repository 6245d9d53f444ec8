// Ball motion: rolling along a spline path around the floor, hopping, being
// pushed by mice and other balls, and flying off.
#include "world/motion_local.h"

#include <algorithm>
#include <cmath>

static constexpr double roll_clamp = 0.1;  // floor units^2: most squared move per step that rolls
static constexpr double roll_rate = 2250000.0;  // degrees per (floor unit^2 * second)
static constexpr double hop_shape = 4.0;        // z = h - 4h (u - 0.5)^2 over a hop
static constexpr float flight_time = 1.0f;      // seconds, then the ball leaves
static constexpr double path_jitter = 0.4;      // floor units, full width per axis
static constexpr float push_limit = 10.0f;      // floor units/s; a stronger push is dropped

// One coordinate of the Kochanek-Bartels segment from p1 to p2.
static double kochanek_bartels(double p0, double p1, double p2, double p3, double u, double tension,
                               double continuity, double bias)
{
    double scale = (1 - tension) / 2;
    double out_tangent = scale * ((1 + bias) * (1 - continuity) * (p1 - p0) +
                                  (1 - bias) * (1 + continuity) * (p2 - p1));
    double in_tangent = scale * ((1 + bias) * (1 + continuity) * (p2 - p1) +
                                 (1 - bias) * (1 - continuity) * (p3 - p2));
    double u2 = u * u;
    double u3 = u2 * u;
    return (2 * u3 - 3 * u2 + 1) * p1 + (-2 * u3 + 3 * u2) * p2 + (u3 - 2 * u2 + u) * out_tangent +
           (u3 - u2) * in_tangent;
}

void spline_point(const Vec3 *p0, const Vec3 *p1, const Vec3 *p2, const Vec3 *p3, float out[2],
                  float u, float tension, float continuity, float bias)
{
    out[0] = (float)kochanek_bartels(p0->x, p1->x, p2->x, p3->x, u, tension, continuity, bias);
    out[1] = (float)kochanek_bartels(p0->y, p1->y, p2->y, p3->y, u, tension, continuity, bias);
}

void ball_heading_from_motion(Ball *ball)
{
    ball->heading = heading_of_direction((double)ball->position.x - ball->last_position.x,
                                         (double)ball->position.y - ball->last_position.y);
}

void ball_push(Ball *ball, World *world)
{
    ball->push = {0.0f, 0.0f, 0.0f};
    for (Mouse *m = world->mice; m; m = m->next)
        add_repulsion(&ball->push, ball->position, m->position, mouse_push_constant);
    for (Ball *o = world->balls; o; o = o->next)
        if (o->id != ball->id)
            add_repulsion(&ball->push, ball->position, o->position, ball_push_constant);
}

// Takes a ball out of balls. Its own next is kept, so that a walk standing on
// it goes on to the ball that followed it.
static void ball_leave(Ball *ball, World *world)
{
    if (world->balls == ball) {
        world->balls = ball->next;
        return;
    }
    Ball *before = ball_predecessor(ball, world);
    if (before)
        before->next = ball->next;
}

// Moves the path on by one point: the new last point lies at the next
// eighth of a lap round the floor, kept inside it by the ball's radius, and
// shifted at random by up to 0.2 on each axis.
static void ball_begin_segment(Ball *ball, World *world)
{
    ball->segment += 1;
    ball->segment_timer = 0.0f;
    ball->path0 = ball->path1;
    ball->path1 = ball->path2;
    ball->path2 = ball->path3;
    double a = 2 * 3.141592653589793 * ball->segment / ball->segments_per_lap;
    double u1 = random_unit();
    double u2 = random_unit();
    ball->path3.x = (float)(((double)world->half_width - ball->radius) * std::cos(a) +
                            path_jitter * (u1 - 0.5));
    ball->path3.y = (float)(((double)world->half_depth - ball->radius) * std::sin(a) +
                            path_jitter * (u2 - 0.5));
}

void ball_step(Ball *ball, World *world, float dt)
{
    // Roll by the squared move of the last step, capped so a jump rolls little.
    double dx = (double)ball->position.x - ball->last_position.x;
    double dy = (double)ball->position.y - ball->last_position.y;
    double moved = std::min(dx * dx + dy * dy, roll_clamp);
    ball->roll = (float)(ball->roll + moved * dt * roll_rate);
    ball->last_position = ball->position;

    ball->hop_timer += dt;
    if (ball->hop_timer > ball->hop_period)
        ball->hop_timer = 0.0f;
    double u = (double)ball->hop_timer / ball->hop_period;

    if (ball->state == BALL_ROLLING) {
        double h = ball->hop_height;
        ball->position.z = (float)(h - hop_shape * h * ((u - 0.5) * (u - 0.5)));
    } else if (ball->state == BALL_FLYING_OFF) {
        // Rises by fly_timer^2 per step, whatever dt is.
        ball->fly_timer += dt;
        ball->position.z = (float)(ball->position.z + (double)ball->fly_timer * ball->fly_timer);
        if (ball->fly_timer > flight_time) {
            ball_leave(ball, world);
            return;
        }
    }

    ball->segment_timer += dt;
    if (ball->segment_timer > ball->segment_duration)
        ball_begin_segment(ball, world);

    // Ease toward the path point: the ball lags behind its path.
    float point[2];
    spline_point(&ball->path0, &ball->path1, &ball->path2, &ball->path3, point,
                 (float)((double)ball->segment_timer / ball->segment_duration), 0.0f, 0.0f, 0.0f);
    ball->position.x = (float)(ball->position.x + ((double)point[0] - ball->position.x) * dt);
    ball->position.y = (float)(ball->position.y + ((double)point[1] - ball->position.y) * dt);

    ball_heading_from_motion(ball);
    ball_push(ball, world);
    if (std::fabs(ball->push.x) > push_limit || std::fabs(ball->push.y) > push_limit)
        return;
    ball->position.x = (float)(ball->position.x + (double)ball->push.x * dt);
    ball->position.y = (float)(ball->position.y + (double)ball->push.y * dt);
}
