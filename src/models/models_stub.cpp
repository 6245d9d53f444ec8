// Stand-ins until the model loader and the title scene exist: nothing is
// loaded, and a title frame is a white frame.
#include "models/models.h"

#include <GL/gl.h>

int load_models()
{
    return 0;
}

void load_title_assets(int)
{
}

void draw_title_scene(double, int)
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
