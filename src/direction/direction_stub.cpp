// Stand-ins until the director and the main scene exist: the title act never
// ends, and a main-scene frame is the World's background colour.
#include "direction/direction.h"

#include "world/world.h"

#include <GL/gl.h>

void director_step()
{
}

void main_scene_frame(float)
{
    glClearColor(show_world.background[0], show_world.background[1], show_world.background[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
