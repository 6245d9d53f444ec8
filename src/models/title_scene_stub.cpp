// Stand-in until the title scene exists: a title frame is a white frame.
#include "models/models.h"

#include <GL/gl.h>

void draw_title_scene(double, int)
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
