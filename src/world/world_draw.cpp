// Drawing the World: the fence rails, every ball with its shadow disc and
// every mouse with its shadow ellipse, all outlined, in the modelview matrix
// the scene frame has set. Each operation leaves the matrix stack as it
// found it.
//
// Each shadow is drawn right after its model, whose outlined draw leaves
// lighting off and back faces culled: the shadow takes the plain colour set
// here, and its wedges wind counter-clockwise seen from above so that they
// face a camera above the floor.
#include "world/world.h"

#include "models/models.h"

#include <GL/gl.h>
#include <cmath>

static constexpr double pi = 3.141592653589793;

// Red, green, blue by body_colour: followers, ball seekers, wanderers.
static constexpr float body_colours[3][3] = {
    {0.96f, 0.4f, 0.96f},
    {0.96f, 0.8f, 0.3f},
    {0.95f, 0.58f, 0.3f},
};

static constexpr float ball_scale = 0.7f;    // model units per radius
static constexpr float mouse_scale = 0.03f;  // floor units per model unit
static constexpr double walk_rate = 187.5;   // walk phase per unit of speed, times 2 pi

// One rail: translate by (x, y, 0), scale by the side's size, translate by
// (ux, uy, 1), a quarter turn about x, and a half turn about y or z.
struct Rail {
    float x, y;
    int along_y;  // a rail along y, else along x
    float ux, uy;
};

void world_draw_fence(World *world)
{
    const float w = world->half_width, h = world->half_depth;
    // Two rails to a side with a gap of 0.1 in the middle; a cube of -1..1
    // becomes a rail 0.04 thick standing on the floor just outside its
    // edge. The rails along y reach 0.04 past the corners.
    const float sizes[2][3] = {
        {w / 2 - 0.025f, 0.02f, 0.02f},
        {0.02f, h / 2 + 0.02f - 0.025f, 0.02f},
    };
    const float y_low = -h / 2 - 0.025f - 0.02f, y_high = h / 2 + 0.025f + 0.02f;
    const Rail rails[8] = {
        {-w / 2 - 0.025f, h, 0, 0, 1},
        {w / 2 + 0.025f, h, 0, 0, 1},
        {-w / 2 - 0.025f, -h, 0, 0, -1},
        {w / 2 + 0.025f, -h, 0, 0, -1},
        {w, y_low, 1, 1, 0},
        {w, y_high, 1, 1, 0},
        {-w, y_low, 1, -1, 0},
        {-w, y_high, 1, -1, 0},
    };
    for (const Rail &r : rails) {
        const float *s = sizes[r.along_y];
        glPushMatrix();
        glTranslatef(r.x, r.y, 0.0f);
        glScalef(s[0], s[1], s[2]);
        glTranslatef(r.ux, r.uy, 1.0f);
        glRotatef(270.0f, 1.0f, 0.0f, 0.0f);
        if (r.along_y)
            glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        else
            glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
        glEnable(GL_DEPTH_TEST);
        draw_cube();
        glPopMatrix();
    }
}

void world_draw_ball(Ball *ball)
{
    glEnable(GL_DEPTH_TEST);
    glPushMatrix();
    glTranslatef(ball->position.x, ball->position.y,
                 (float)(0.7 * ball->radius + ball->position.z));
    glRotatef(ball->heading, 0.0f, 0.0f, 1.0f);
    glRotatef(ball->roll, 0.0f, 1.0f, 0.0f);
    glScalef(ball_scale, ball_scale, ball_scale);
    glScalef(ball->radius, ball->radius, ball->radius);
    draw_ball(ball->kind);
    glPopMatrix();

    // A black disc of radius 0.7 radius on the floor, whatever the ball's
    // height.
    glEnable(GL_DEPTH_TEST);
    glColor3f(0.0f, 0.0f, 0.0f);
    glPushMatrix();
    glTranslatef(ball->position.x, ball->position.y, 0.0f);
    glScalef(ball_scale, ball_scale, ball_scale);
    for (int i = 0; i < 16; i++) {
        glBegin(GL_POLYGON);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f((float)(ball->radius * std::cos(i * pi / 8)),
                   (float)(ball->radius * std::sin(i * pi / 8)), 0.0f);
        glVertex3f((float)(ball->radius * std::cos((i + 1) * pi / 8)),
                   (float)(ball->radius * std::sin((i + 1) * pi / 8)), 0.0f);
        glEnd();
    }
    glPopMatrix();
}

void mouse_advance_walk(Mouse *mouse, float dt)
{
    // The key turns faster the faster the mouse is asked to go, and stands
    // still while its drive is 0.
    const Vec3 &v = mouse->desired_velocity;
    double asked = std::sqrt((double)v.x * v.x + (double)v.y * v.y + (double)v.z * v.z);
    mouse->walk_phase = (float)(mouse->walk_phase + (double)dt * mouse->speed * mouse->drive *
                                                        walk_rate * 2 * asked * pi);
}

void world_advance_walks(World *world, float dt)
{
    for (Mouse *mouse = world->mice; mouse; mouse = mouse->next)
        mouse_advance_walk(mouse, dt);
}

void world_draw_mouse(Mouse *mouse, float dt)
{
    mouse_advance_walk(mouse, dt);

    glEnable(GL_DEPTH_TEST);
    glLineWidth(1.0f);
    glPushMatrix();
    glTranslatef(mouse->position.x, mouse->position.y, mouse->position.z);

    // The model is y up facing +z: stand it up and face it along heading.
    glPushMatrix();
    glScalef(mouse_scale, mouse_scale, mouse_scale);
    glRotatef(mouse->heading, 0.0f, 0.0f, 1.0f);
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    // Spawned mice have a colour 0..2; any other value draws as 0.
    int c = mouse->body_colour >= 0 && mouse->body_colour < 3 ? mouse->body_colour : 0;
    draw_mouse(body_colours[c][0], body_colours[c][1], body_colours[c][2], mouse->walk_phase);
    glPopMatrix();

    // A dark ellipse at the mouse's own height, semi-axes 0.03 across the
    // mouse and 0.04 along its heading.
    glColor3f(0.07f, 0.07f, 0.07f);
    glPushMatrix();
    glRotatef(mouse->heading + 90.0f, 0.0f, 0.0f, 1.0f);
    glScalef(0.03f, 0.04f, 1.0f);
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < 12; k++) {
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f((float)std::cos(k * pi / 6), (float)std::sin(k * pi / 6), 0.0f);
        glVertex3f((float)std::cos((k + 1) * pi / 6), (float)std::sin((k + 1) * pi / 6), 0.0f);
    }
    glEnd();
    glPopMatrix();

    glPopMatrix();
}

void world_draw(World *world, float dt)
{
    if (world->show_arena)
        world_draw_fence(world);
    for (Ball *ball = world->balls; ball; ball = ball->next)
        world_draw_ball(ball);
    for (Mouse *mouse = world->mice; mouse; mouse = mouse->next)
        world_draw_mouse(mouse, dt);
}
