// The creature world: one square floor with a fence, a list of mice and a
// list of balls, and a background colour.
//
// Scene space has z up; the floor is the x-y plane centred on the origin and
// spans -half_width..half_width along x, -half_depth..half_depth along y.
// Angles are degrees, headings run from +x toward +y.
//
// Mice and balls are allocated one at a time and are not released while the
// World runs: a record that leaves the World is only unlinked, so pointers to
// it (a follower's leader, the camera's followed object) stay valid. The
// World also keeps every record it allocated on a second list, so that
// world_release_records can release them all at once when the run is over.
// Every list is pushed at the head and so runs newest first.
#pragma once

#include <cstdint>

struct Vec3 {
    float x, y, z;
};

// Mouse life states. No record takes the value 1.
enum {
    MOUSE_ACTIVE = 0,
    MOUSE_RUNNING_DOWN = 2,
    MOUSE_SPINNING_OUT = 3,
};

// What a mouse steers by.
enum {
    BEHAVIOUR_WANDER = 1,
    BEHAVIOUR_SEEK_BALL = 2,
    BEHAVIOUR_FOLLOW = 3,
};

// Ball life states.
enum {
    BALL_ROLLING = 0,
    BALL_FLYING_OFF = 3,
};

// Ball kinds, which are also the model drawn.
enum {
    BALL_BEACH = 0,
    BALL_FOOTBALL = 1,
    BALL_TENNIS = 2,
    BALL_BOWLING = 3,
};

struct Mouse {
    int id;                 // unique, in creation order from 0
    Vec3 position;          // floor units
    float heading;          // degrees, direction of travel
    float wander_heading;   // degrees, eased steering angle of wandering
    float wander_target;    // degrees, angle wander_heading eases toward
    Vec3 push;              // floor units/s, velocity from repulsion
    Vec3 desired_velocity;  // floor units/s, what the steering asks for
    Vec3 velocity;          // floor units/s, smoothed
    float walk_phase;       // turns the model's key and tail
    float speed;            // speed factor of the steering
    float radius;           // floor units, spacing radius
    float wall_margin;      // floor units from a wall where wandering turns back
    float wander_timer;     // seconds since the last random wander turn
    int state;              // MOUSE_*
    float held_heading;     // degrees, heading used while drive is 0
    float drive;            // 0..1 factor on the speed; runs down when leaving
    float spin_timer;       // seconds spent in MOUSE_SPINNING_OUT
    int entering;           // 1 until the mouse lies inside the floor
    Mouse *leader;          // the mouse a follower walks beside, else none
    int body_colour;        // 0, 1 or 2
    int behaviour;          // BEHAVIOUR_*
    Mouse *next;            // next older mouse
    Mouse *allocated_next;  // next older mouse the World allocated, linked or not
};

// The ball rolls along the curve through its four path points; only x and
// y of a path point are read.
struct Ball {
    int id;        // unique, in creation order from 0
    float radius;  // floor units, model scale and shadow size
    Vec3 path0;    // oldest of the four path points
    Vec3 path1;
    Vec3 position;  // z is the height above the floor
    Vec3 path2;
    Vec3 path3;              // newest path point
    Vec3 last_position;      // position at the start of the last step
    Vec3 push;               // floor units/s, recomputed every step before use
    float heading;           // degrees, direction of travel
    float roll;              // degrees, rolling angle
    int segment;             // path segments begun
    int segments_per_lap;    // path points per lap
    float hop_height;        // floor units; 0: the ball does not hop
    float hop_timer;         // seconds into the current hop
    float hop_period;        // seconds per hop
    int state;               // BALL_*
    float fly_timer;         // seconds spent in BALL_FLYING_OFF
    float segment_timer;     // seconds into the current path segment
    float segment_duration;  // seconds per path segment
    int kind;                // BALL_BEACH .. BALL_BOWLING
    Ball *next;              // next older ball
    Ball *allocated_next;    // next older ball the World allocated, linked or not
};

struct World {
    int show_arena;              // non-zero: fence drawn, walls push mice
    Mouse *mice;                 // newest first
    Ball *balls;                 // newest first
    float background[3];         // red, green, blue clear colour
    float background_target[3];  // colour background eases toward
    float half_width;            // floor units along x
    float half_depth;            // floor units along y
    Mouse *allocated_mice;       // every mouse allocated since the last release, newest first
    Ball *allocated_balls;       // every ball allocated since the last release, newest first
    int64_t mice_allocated;      // records on allocated_mice
    int64_t balls_allocated;     // records on allocated_balls
};

// A uniform float in [0, 1) from rand().
float random_unit();
// The conversion random_unit applies to one rand() value r in 0..2^31-1.
float random_unit_of(int32_t r);

// Sets every World field to its start value; releases nothing, so the
// records of a World in use must be released first.
void world_reset(World *world, float half_width, float half_depth);
// Releases every record the World allocated and empties its lists; for the
// end of a run, when nothing points into them any more.
void world_release_records(World *world);

// Allocates a mouse with its start values and pushes it at the head of mice;
// body_colour, behaviour and leader are left to the caller (zero until set).
// None, with the World unchanged, if memory runs out.
Mouse *mouse_create(World *world, float x, float y, float z, float heading, float speed);
// The first mouse (newest first) whose edge lies within 0.05 of the point.
Mouse *world_mouse_near(float x, float y, float z, World *world);

// Spawn a mouse unless world_mouse_near refuses the point (or memory runs
// out, which is handled as a refusal); none if refused.
Mouse *spawn_wanderer(World *world, float x, float y, float z, float heading);
Mouse *spawn_runner(World *world, float x, float y, float z, float heading);
Mouse *spawn_follower(World *world, float x, float y, float z, float heading, Mouse *leader);

// Allocates a ball of a kind 0..3 at a side point 0..3 and pushes it at the
// head of balls. Draws one random number for its segment duration.
// None, with the World unchanged, if memory runs out: callers must check.
Ball *ball_create(World *world, int kind, int side);

// Every active mouse starts to leave.
void world_send_mice_away(World *world);
// The last (oldest) mouse of the list, or none.
Mouse *world_oldest_mouse(World *world);
// The oldest mouse not already leaving starts to leave; it, or none.
Mouse *world_send_oldest_mouse_away(World *world);
// Every ball not already flying off starts to.
void world_send_balls_off(World *world);

// The record whose next is the given one; none for the head or a stranger.
Mouse *mouse_predecessor(Mouse *mouse, World *world);
Ball *ball_predecessor(Ball *ball, World *world);

// Mouse motion.

// Share of its previous velocity a mouse keeps at each velocity update, 0..1.
extern float inertia;
// What the World step eases inertia toward; set by the scene events.
extern float inertia_target;
// Both back to their start value, 0.5.
void inertia_reset();

// One update of one mouse by dt seconds: steering, pushes, move, overlap undo.
// A mouse that has spun out is unlinked from mice here; its next is kept.
void mouse_step(Mouse *mouse, World *world, float dt);
// Clears entering once the mouse lies wholly inside the floor.
void mouse_check_entered(Mouse *mouse, World *world);
// Random turns, turning back near the walls, and the eased steering angle.
void mouse_wander(Mouse *mouse, World *world, float dt);
// Asks for a velocity toward target (x and y), growing with its distance.
void mouse_seek(Mouse *mouse, const float target[3]);
// Recomputes push from the other mice, the balls and the walls.
void mouse_push(Mouse *mouse, World *world);
// Heading from the desired velocity, or held_heading while drive is 0.
void mouse_heading_from_velocity(Mouse *mouse);
// Eases velocity toward desired_velocity by inertia; moves by velocity + push.
void mouse_integrate(Mouse *mouse, float dt);
// The first other mouse within the sum of both radii, or none.
Mouse *mouse_find_overlap(Mouse *mouse, World *world);

// Ball motion and the World step.

// Eases the background and inertia, then steps every ball and every mouse.
void world_step(World *world, float dt);
// One update of one ball by dt seconds: roll, hop or flight, path, push.
// A ball that has flown off is unlinked from balls here; its next is kept.
void ball_step(Ball *ball, World *world, float dt);
// Writes to out the x and y of the Kochanek-Bartels curve from p1 (u = 0)
// to p2 (u = 1), with p0 and p3 shaping the tangents.
void spline_point(const Vec3 *p0, const Vec3 *p1, const Vec3 *p2, const Vec3 *p3, float out[2],
                  float u, float tension, float continuity, float bias);
// Recomputes push from the mice and the other balls.
void ball_push(Ball *ball, World *world);
// Heading from the move since last_position.
void ball_heading_from_motion(Ball *ball);

// Drawing, in the modelview matrix the caller has set; each leaves the
// matrix stack as it found it.

// The fence when show_arena is set, then every ball, then every mouse;
// dt in seconds advances the walk phases.
void world_draw(World *world, float dt);
// The eight rails of the cube model along the floor's edges, two to a side.
void world_draw_fence(World *world);
// The ball model resting on its height, and its shadow disc on the floor.
void world_draw_ball(Ball *ball);
// Advances walk_phase by dt seconds; draws the mouse model in its body
// colour and its shadow ellipse at its own height.
void world_draw_mouse(Mouse *mouse, float dt);
// Advances the mouse's walk_phase by dt seconds, as drawing it does.
void mouse_advance_walk(Mouse *mouse, float dt);
// Advances every mouse's walk phase as world_draw does, drawing nothing.
void world_advance_walks(World *world, float dt);

// The one World of the show, reset at start-up.
extern World show_world;
