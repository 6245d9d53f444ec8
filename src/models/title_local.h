// Where the title scene puts things at a time x (milliseconds) for the
// flags F of the show; every value is a function of x and F alone.
#pragma once

struct TitlePlacement {
    double x, y, z;  // translation
    double turn;     // degrees: a ball's spin about z, a mouse's turn about y
};

// Ball i (0..2): position and spin.
TitlePlacement title_ball_placement(double x, int flags, int i);
// The draw mode of the balls.
int title_ball_mode(int flags);
// The credit word of the time slot, or none.
const char *title_word(double x);
// The credit's x position and its nod in degrees about x.
double title_word_x(double x);
double title_word_nod(double x);
// Mouse j (0..6): position and turn.
TitlePlacement title_mouse_placement(double x, int flags, int j);
// Mouse j's body colour.
void title_mouse_colour(int flags, int j, double rgb[3]);
