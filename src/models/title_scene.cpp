// The title scene: three balls tumbling in arcs, the credits sliding in one
// word at a time, seven mice walking past. All arithmetic is in double;
// values become floats only where they are handed to OpenGL.
#include "models/models.h"
#include "models/title_local.h"

#include <GL/gl.h>
#include <cmath>

namespace {

struct Credit {
    double from, to;  // milliseconds, from included
    const char *word;
};

constexpr Credit credits[] = {
    {6000.0, 12000.0, "tobuna"},
    {12000.0, 18000.0, "by"},
    {18000.0, 24000.0, "kov"},
    {24000.0, 30000.0, "trolvenki"},
};

constexpr double pi_over_1200 = 0.0026179938779914945;
constexpr double one_300th = 0.0033333333333333335;
constexpr double one_30th = 0.03333333333333333;

}  // namespace

TitlePlacement title_ball_placement(double x, int flags, int i)
{
    double h = std::fmod(x * 0.002 + 11.0 * i, 6.0);  // height phase, one arc per 3000 ms
    double y = 5.0 - (h - 3.0) * (h - 3.0);
    double t = std::fmod(x * 0.005 + 3.0 * i, 10.0);  // travel, every 2000 ms
    double spin = x * (i + 1) * 0.1;
    if (flags & TITLE_BALLS_LEFTWARD)
        return {5.0 - t, y, 1.5, spin};
    return {t - 5.0, y, 1.5, -spin};
}

int title_ball_mode(int flags)
{
    switch (flags & TITLE_BALL_MODE_BITS) {
    case 0:
        return DRAW_WIRE;
    case 1:
        return DRAW_SOLID;
    default:
        return DRAW_OUTLINED;
    }
}

const char *title_word(double x)
{
    for (const Credit &c : credits)
        if (x >= c.from && x < c.to)
            return c.word;
    return nullptr;
}

double title_word_x(double x)
{
    double b = std::fmod(x, 6000.0);
    return 3.0 * std::cos(b * pi_over_1200) + 11.0 - b * one_300th;
}

double title_word_nod(double x)
{
    return 10.0 * std::sin(x * 0.005) + 10.0;
}

TitlePlacement title_mouse_placement(double x, int flags, int j)
{
    double r = std::fmod(x * one_300th + 30.0 * j, 42.0);
    if ((flags & TITLE_MICE_RIGHTWARD_BITS) == 0)
        return {21.0 - r, -1.0, -3.0 - j, 270.0};
    return {r - 21.0, -1.0, -3.0 - j, 90.0};
}

void title_mouse_colour(int flags, int j, double rgb[3])
{
    double shade = 0.5 + j * one_30th;
    if (flags & TITLE_MICE_BLUE) {
        rgb[0] = shade;
        rgb[1] = 0.7;
        rgb[2] = 1.0;
    } else {
        rgb[0] = 1.0;
        rgb[1] = 0.7;
        rgb[2] = shade;
    }
}

void draw_title_scene(double x, int flags)
{
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -0.75, 0.75, 1.0, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glTranslatef(0.0f, -0.5f, -5.0f);

    int ball_mode = title_ball_mode(flags);
    for (int i = 0; i < 3; i++) {
        TitlePlacement p = title_ball_placement(x, flags, i);
        glPushMatrix();
        glTranslatef((float)p.x, (float)p.y, (float)p.z);
        glRotatef((float)p.turn, 0.0f, 0.0f, 1.0f);
        model_draw(&title_ball_model, ball_mode);
        glPopMatrix();
    }

    glPushMatrix();
    glTranslatef((float)title_word_x(x), 0.0f, 0.0f);
    glRotatef((float)title_word_nod(x), 1.0f, 0.0f, 0.0f);
    if (const char *word = title_word(x))
        draw_text(word, 1);
    glPopMatrix();

    for (int j = 0; j < 7; j++) {
        TitlePlacement p = title_mouse_placement(x, flags, j);
        glPushMatrix();
        glTranslatef((float)p.x, (float)p.y, (float)p.z);
        glRotatef((float)p.turn, 0.0f, 1.0f, 0.0f);
        double rgb[3];
        title_mouse_colour(flags, j, rgb);
        draw_mouse((float)rgb[0], (float)rgb[1], (float)rgb[2], x * 0.5);
        glPopMatrix();
    }
}
