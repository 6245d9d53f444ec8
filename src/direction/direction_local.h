// What the scene frame, camera and floor share, and what the tests read.
#pragma once

#include "direction/direction.h"

#include <GL/gl.h>
#include <cstdint>

struct Vec3;

// Camera state. Angles are degrees, positions floor units.
extern int camera_mode;                // 0..6
extern float camera_position[3];       // translation drawn after the rotations
extern float camera_target[3];         // what camera_position eases toward
extern float camera_angles[2];         // tilt (about x), roll (about z)
extern float camera_angle_targets[2];  // what camera_angles ease toward
extern float camera_height;            // z of camera_target in modes 2 to 4
extern float camera_follow;            // share of the old position kept per frame
extern int glide_active;               // non-zero while a glide runs
extern float glide_left;               // seconds
extern float glide_length;             // seconds, of the current glide
extern const Vec3 *follow_position;    // x and y followed in modes 2 to 6, or none
extern const float *follow_heading;    // heading rolled with in modes 5 and 6, or none
extern const float no_heading;         // 0: the heading of a followed ball

// Acts of the show.
enum {
    ACT_TITLE = 0,
    ACT_WANDER = 1,
    ACT_CHASE = 2,
};

// Scene event codes, sent at every 4th .. 256th step.
enum {
    EVENT_STEP4 = 2,
    EVENT_STEP16 = 4,
    EVENT_STEP32 = 5,
    EVENT_STEP64 = 6,
    EVENT_STEP128 = 7,
    EVENT_STEP256 = 8,
};

// The director's state.
struct Director {
    int act;               // ACT_*
    int act_periods_left;  // 64-step periods left in the act
    int act_just_started;  // 1 from an act change until its first 64-step boundary's events
    int song_transpose;    // semitones for the transposed voices: 0, 4, -4 or -8
    int title_period;      // 64-step periods played in each act, never reset
    int wander_period;
    int chase_period;
    int transpose_latch;  // the latches: set when a trigger fires, released after
    int act_latch;
    int period_latch[3];  // by act
    int event_latch[6];   // by scene event, EVENT_STEP4 first
    int32_t position;     // song position read by the last director_step
};

// What one director step decided, for director_step to carry out.
struct DirectorStep {
    int title_active;  // the value for set_title_active, or -1 for no call
    int row;           // arrangement row: which voices play
    int act;           // the act the events go to
    int just_started;  // passed with every event
    int event_count;
    int event_codes[6];  // in dispatch order
};

extern Director director;

// Advances the director to a song position; random numbers are drawn here
// in their order (transposition, then act), before any event is handled.
void director_advance(Director *d, int32_t position, DirectorStep *out);

// Scene event state.
struct Mouse;
extern int act_mouse_count;  // mice the act spawned or tried to, less those sent away
extern int act_ball_count;   // balls of the wander act's volleys
extern int wander_variant;   // 0 lines, 1 ball volleys
extern int chase_variant;    // 0 runners, 1 sliding runners, 2 follower chain
extern Mouse *chain_leader;  // whom the next follower follows

// Floor state.
extern int floor_list_pending;  // the floor's display list is still to be built
extern int floor_first_frame;   // no main-scene frame has passed the floor yet
extern GLuint floor_list;

// Multiplies the camera transform eased in the frame before onto the
// modelview matrix, then eases the camera for the next frame.
void camera_update(float dt);
// Puts every camera value back to its start: a 10-second glide from high
// above the floor toward the overview.
void camera_reset();
// Builds the floor's display list when it is still to be built; calls it,
// except in the very first main-scene frame, which only compiles it.
void floor_draw();
// Builds the floor's display list in the current context.
void floor_compile();
// A main-scene frame run without drawing passes the floor's first frame.
void floor_pass_undrawn();
// A floor for a new OpenGL context, before its first frame.
void floor_reset();
// The camera's easing of one frame without drawing its transform.
void camera_advance(float dt);
