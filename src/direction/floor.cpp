// The floor: a white checkerboard of 12 x 12 cells of 0.2 units at z = 0,
// from -1.2 to 1.2 on both axes, in a display list built once. The cells
// between the white ones show the background colour.
#include "direction/direction_local.h"

int floor_list_pending = 1;
int floor_first_frame = 1;
GLuint floor_list;

void floor_reset()
{
    floor_list_pending = 1;
    floor_first_frame = 1;
}

void floor_pass_undrawn()
{
    floor_first_frame = 0;
}

void floor_draw()
{
    if (floor_list_pending)
        floor_compile();
    if (floor_first_frame) {
        floor_first_frame = 0;  // the very first frame only compiles
        return;
    }
    glCallList(floor_list);
}

void floor_compile()
{
    floor_list = glGenLists(1);
    glNewList(floor_list, GL_COMPILE);
    // Left off when the list runs: what needs depth testing switches it on.
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int i = -6; i <= 5; i++) {      // rows, along y
        for (int j = -6; j <= 5; j++) {  // columns, along x
            if ((i + j) % 2 != 0)
                continue;
            glBegin(GL_POLYGON);
            glVertex3f((float)(0.2 * j), (float)(0.2 * i), 0.0f);
            glVertex3f((float)(0.2 * (j + 1)), (float)(0.2 * i), 0.0f);
            glVertex3f((float)(0.2 * (j + 1)), (float)(0.2 * (i + 1)), 0.0f);
            glVertex3f((float)(0.2 * j), (float)(0.2 * (i + 1)), 0.0f);
            glEnd();
        }
    }
    glEndList();
    floor_list_pending = 0;
}
