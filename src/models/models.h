// Models, text and the title scene.
#pragma once

// Loads the six scene models; the result is that of the mouse model:
// 0, or -1 when it cannot be loaded.
int load_models();
// Loads the title ball chosen by show_flags, and the font.
void load_title_assets(int show_flags);
// Clears the frame and draws the title scene at t milliseconds since the
// frame loop began.
void draw_title_scene(double t, int show_flags);
