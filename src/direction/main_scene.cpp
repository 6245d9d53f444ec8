// One main-scene frame: background, floor, projection and camera, then the
// World drawn as the last step left it, then the World's step.
#include "direction/direction_local.h"

#include "world/world.h"

#include <GL/glu.h>

static constexpr float aspect = 4.0f / 3.0f;  // fixed, whatever the window's size

void main_scene_frame(float dt)
{
    glClearColor(show_world.background[0], show_world.background[1], show_world.background[2],
                 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Before the projection and camera are set: the floor is drawn under the
    // matrices of the frame before, one frame late, and on the very first
    // frame only compiled.
    floor_draw();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, aspect, 0.01, 1135.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -0.8f);
    camera_update(dt);
    world_draw(&show_world, dt);
    world_step(&show_world, dt);
}

void main_scene_advance(float dt)
{
    floor_pass_undrawn();
    camera_advance(dt);
    world_advance_walks(&show_world, dt);
    world_step(&show_world, dt);
}

void direction_reset()
{
    director_reset();
    scene_events_reset();
    camera_reset();
    floor_reset();
}
