// Screensaver mode: the show drawn into the window that a screensaver daemon
// names in XSCREENSAVER_WINDOW, silent unless asked for sound, ended only by
// the daemon's SIGTERM.
#pragma once

#include <string_view>

struct FrameLoop;
union SDL_Event;
typedef struct _XDisplay Display;  // NOLINT(bugprone-reserved-identifier): Xlib's own name

// What the hack's command line asks for.
enum {
    SAVER_SILENT = 0,  // the mixer runs on SDL's dummy audio driver
    SAVER_SOUND = 1,   // the song plays on the audio device
};

// The hack's options, from argc/argv.
struct SaverArgs {
    int sound;        // SAVER_SILENT or SAVER_SOUND
    const char *bad;  // the first option not understood, or null
};

// The window a daemon hands the show, and its size.
struct SaverWindow {
    unsigned long id;  // X window id
    int width;         // pixels
    int height;        // pixels
    Display *display;  // the show's own connection for asking the size, or null
};

// Frames between two looks at the window's size (a fifth of a second).
constexpr int SAVER_SIZE_CHECK_FRAMES = 15;

// -root/--root (accepted, no effect) and -sound/--sound; anything else is
// reported in bad.
SaverArgs saver_parse_args(int argc, const char *const *argv);
// The X window id in text as the daemon writes it ("0x1a00005" or decimal);
// 0 when the text is not a whole number.
unsigned long saver_window_id(std::string_view text);
// Opens the connection to the X display of DISPLAY: 0, or -1.
int saver_open_display(SaverWindow *window);
// Asks the X server for the window's size into width and height: 0, or -1
// when the window cannot be reached.
int saver_window_size(SaverWindow *window);
// Closes the connection; the window is the daemon's and stays.
void saver_close_display(SaverWindow *window);
// Tells SDL (through its environment, before SDL_Init) to draw into the
// window with OpenGL, and to use the dummy audio driver when silent.
void saver_set_sdl_environment(const SaverWindow &window, int sound);
// The whole set-up from the environment value and the command line: 0, or
// -1 after a message on standard error.
int saver_prepare(const char *window_text, int argc, const char *const *argv, SaverWindow *window);

// The LOOP_INPUT_* of an SDL event for a hack: the daemon's quit request
// (SIGTERM, which SDL turns into SDL_QUIT) ends it; keys and buttons do not.
int saver_input_of(const SDL_Event *event);
// Whether a window of new_width x new_height pixels needs a new viewport.
int saver_size_changed(const SaverWindow &window, int new_width, int new_height);
// Follows the window's size: a new viewport when it changed. -1 when the
// window is gone, else 0.
int saver_follow_size(SaverWindow *window);
// The frame loop of a hack: the show's frames at its pace, the window's
// size followed, until the quit request.
void saver_loop_run(FrameLoop *loop, SaverWindow *window);
