// What the scene frame, camera and floor share, and what the tests read.
#pragma once

#include "direction/direction.h"

#include <GL/gl.h>

struct Vec3;

// Camera state. Angles are degrees, positions floor units.
extern int camera_mode;                  // 0..6
extern float camera_position[3];         // translation drawn after the rotations
extern float camera_target[3];           // what camera_position eases toward
extern float camera_angles[2];           // tilt (about x), roll (about z)
extern float camera_angle_targets[2];    // what camera_angles ease toward
extern float camera_height;              // z of camera_target in modes 2 to 4
extern float camera_follow;              // share of the old position kept per frame
extern int glide_active;                 // non-zero while a glide runs
extern float glide_left;                 // seconds
extern float glide_length;               // seconds, of the current glide
extern const Vec3 *follow_position;      // x and y followed in modes 2 to 6, or none
extern const float *follow_heading;      // heading rolled with in modes 5 and 6, or none
extern const float no_heading;           // 0: the heading of a followed ball

// Scene event state.
struct Mouse;
extern int act_mouse_count;    // mice the act spawned or tried to, less those sent away
extern int act_ball_count;     // balls of the wander act's volleys
extern int wander_variant;     // 0 lines, 1 ball volleys
extern int chase_variant;      // 0 runners, 1 sliding runners, 2 follower chain
extern Mouse *chain_leader;    // whom the next follower follows

// Floor state.
extern int floor_list_pending;  // the floor's display list is still to be built
extern GLuint floor_list;

// Multiplies the camera transform eased in the frame before onto the
// modelview matrix, then eases the camera for the next frame.
void camera_update(float dt);
// Puts every camera value back to its start: a 10-second glide from high
// above the floor toward the overview.
void camera_reset();
// Builds the floor's display list on the first call (drawing nothing), and
// calls it on every later call.
void floor_draw();
