// Show direction: the beat director, the main scene's frame and its camera.
#pragma once

struct Vec3;

// Turns the song position into acts, arrangements and scene events; once
// per drawn frame, after the scene.
void director_step();
// Draws and advances one main-scene frame; dt in seconds.
void main_scene_frame(float dt);
// Advances one main-scene frame as main_scene_frame does, without drawing:
// the camera, the walk phases and the floor's first frame move on the same.
void main_scene_advance(float dt);
// Puts the director, the scene events, the camera and the floor back to
// their start values, as before the show's first frame.
void direction_reset();
// The director's start values.
void director_reset();
// The scene events' start values: no act mice or balls, first variants.
void scene_events_reset();

// Camera modes.
enum {
    CAMERA_CENTRE = 0,    // a close view of the centre
    CAMERA_OVERVIEW = 1,  // the whole floor
    CAMERA_FOLLOW = 2,    // 2 to 4: over the followed object at camera height
    CAMERA_FOLLOW_B = 3,
    CAMERA_FOLLOW_C = 4,
    CAMERA_TILTED = 5,  // 5 and 6: over it, tilted down, rolling with its heading
    CAMERA_TILTED_B = 6,
    CAMERA_MODES = 7,
};

// Line formations: where a line of mice enters.
enum {
    FORMATION_FROM_PLUS_X = 0,
    FORMATION_FROM_MINUS_Y = 1,
    FORMATION_FROM_MINUS_X = 2,
    FORMATION_FROM_PLUS_X_AGAIN = 3,  // the same spot as FORMATION_FROM_PLUS_X
    FORMATIONS = 4,
};

// The scene events of the wandering and the chasing act: code 2, 4, 5, 6, 7
// or 8 for the 4th, 16th, 32nd, 64th, 128th and 256th steps; just_started
// is 1 on the events of the act's first 64-step boundary.
void wander_act_event(int code, int just_started);
void chase_act_event(int code, int just_started);
// n wanderers or runners in a line entering from one side: formation 0 (and
// 3) from +x, 1 from -y, 2 from -x; other formations spawn nothing.
void spawn_wanderer_line(int formation, int n);
void spawn_runner_line(int formation, int n);

// The camera, steered by the scene events. Each frame it eases toward
// where its mode wants it; a glide makes it follow slowly at first and
// quickly at the end.

// Chooses where the camera wants to be: 0 a close view of the centre, 1 the
// overview of the floor, 2 to 4 over the followed object at camera height,
// 5 and 6 over it tilted down and rolling with the followed heading.
void camera_set_mode(int mode);
// Height of the view over the followed object in modes 2 to 4, floor units.
void camera_set_height(float z);
// The tilt, degrees about x, that the camera eases toward; modes 5 and 6
// set it to -55, the others leave it.
void camera_set_tilt_target(float degrees);
// What modes 2 to 6 follow: the position (x and y) and heading of a mouse
// or ball, read every frame. A heading of none rolls with 0, as for a ball.
void camera_set_followed(const Vec3 *position, const float *heading);
// Starts a glide of seconds (> 0): the follow factor restarts at 0.995 and
// falls linearly to 0.5 over the glide.
void camera_glide(float seconds);
