// What the mouse and ball motion share: the repulsion term and the heading
// of a direction.
//
// Arithmetic rule of the motion code: every expression is carried in double
// and rounded to float once, where a field is stored. For a single add,
// multiply or divide of two floats that gives the same float as single
// precision, so timers (t + dt) read the same either way. Powers are taken
// by multiplication, not pow(), so that every libm gives the same bits.
#pragma once

#include "world/world.h"

#include <algorithm>
#include <cmath>

inline constexpr double degrees_to_radians = 3.141592653589793 / 180.0;
inline constexpr double radians_to_degrees = 57.29577951308232;

// Repulsion constants: the push of an object at distance s has the
// magnitude constant / s^10.
inline constexpr double mouse_push_constant =
    5e-11;  // from a mouse or ball on a mouse, from a mouse on a ball
inline constexpr double ball_push_constant = 6e-7;  // from a ball on a ball

// The repulsion factor grows as 1 / s^11 toward a distance of 0: below
// about 3e-5 a push no longer fits a float, and far below that s^11
// underflows, so that the factor is infinite (and the push not a number on
// an axis where the offset is 0). Below this distance the factor keeps its
// value at this distance, so the push falls linearly to 0 at distance 0,
// where it meets the zero-distance rule. At it a mouse is pushed with
// 5e29 floor units/s and a ball with 6e33 (dropped by the ball's push
// limit); the show's mice and balls never come this close by themselves.
inline constexpr double push_min_distance = 1e-4;

inline double pow11(double s)
{
    double s2 = s * s;
    double s4 = s2 * s2;
    double s8 = s4 * s4;
    return s8 * s2 * s;
}

// Pushes away from an object at `other`: with d = other - position in x
// and y, push -= d * constant / |d|^11, nothing at |d| = 0.
inline void add_repulsion(Vec3 *push, const Vec3 &position, const Vec3 &other, double constant)
{
    double dx = (double)other.x - position.x;
    double dy = (double)other.y - position.y;
    double s = std::sqrt(dx * dx + dy * dy);
    double f = s == 0 ? 1.0 : constant / pow11(std::max(s, push_min_distance));
    push->x = (float)(push->x - dx * f);
    push->y = (float)(push->y - dy * f);
}

// Heading in degrees, 0 <= heading < 360, of the direction (dx, dy);
// 90 for dx = 0 and dy >= 0, 270 for dx = 0 and dy < 0.
inline float heading_of_direction(double dx, double dy)
{
    if (dx == 0)
        return dy < 0 ? 270.0f : 90.0f;
    double a = std::atan(dy / dx) * radians_to_degrees;
    if (dx < 0)
        a += 180;
    while (a < 0)
        a += 360;
    // A tiny negative angle plus 360 rounds to 360 itself, which is 0.
    float heading = (float)a;
    return heading < 360.0f ? heading : 0.0f;
}
