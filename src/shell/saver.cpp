// Screensaver set-up: the hack's options, the daemon's window and SDL's
// environment for drawing into a window it did not make.
#include "shell/saver.h"

#include <X11/Xlib.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

SaverArgs saver_parse_args(int argc, const char *const *argv)
{
    SaverArgs args = {SAVER_SILENT, nullptr};
    for (int i = 1; i < argc; ++i) {
        std::string_view option = argv[i] ? argv[i] : "";
        if (option == "-root" || option == "--root")
            continue;  // the daemon's window is used whatever it is
        if (option == "-sound" || option == "--sound") {
            args.sound = SAVER_SOUND;
            continue;
        }
        args.bad = argv[i] ? argv[i] : "";
        break;
    }
    return args;
}

unsigned long saver_window_id(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id, base);
    if (error != std::errc() || end != text.data() + text.size())
        return 0;
    return id;
}

// A window that is gone must not end the process from inside Xlib.
static int ignore_x_error(Display *, XErrorEvent *)
{
    return 0;
}

int saver_open_display(SaverWindow *window)
{
    window->display = XOpenDisplay(nullptr);
    return window->display ? 0 : -1;
}

void saver_close_display(SaverWindow *window)
{
    if (window->display)
        XCloseDisplay(window->display);
    window->display = nullptr;
}

int saver_window_size(SaverWindow *window)
{
    if (!window->display)
        return -1;
    XErrorHandler previous = XSetErrorHandler(ignore_x_error);
    XWindowAttributes attributes;
    Status ok = XGetWindowAttributes(window->display, (Window)window->id, &attributes);
    XSync(window->display, False);
    XSetErrorHandler(previous);
    if (!ok || attributes.width <= 0 || attributes.height <= 0)
        return -1;
    window->width = attributes.width;
    window->height = attributes.height;
    return 0;
}

void saver_set_sdl_environment(const SaverWindow &window, int sound)
{
    setenv("SDL_WINDOWID", std::to_string(window.id).c_str(), 1);
    setenv("SDL_VIDEO_FOREIGN_WINDOW_OPENGL", "1", 1);
    // Straight into the window, not through sdl12-compat's scaling buffer of
    // the first size: the viewport then follows the window when it grows.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 1);
    // Silent, the mixer still runs at its real pace: the song drives the
    // scene as it does with sound.
    if (sound == SAVER_SILENT)
        setenv("SDL_AUDIODRIVER", "dummy", 1);
}

int saver_prepare(const char *window_text, int argc, const char *const *argv, SaverWindow *window)
{
    SaverArgs args = saver_parse_args(argc, argv);
    if (args.bad) {
        fprintf(stderr, "tobuna: unknown screensaver option %s (known: -root, --sound)\n",
                args.bad);
        return -1;
    }
    *window = SaverWindow{saver_window_id(window_text), 0, 0, nullptr};
    if (window->id == 0) {
        fprintf(stderr, "tobuna: XSCREENSAVER_WINDOW is not a window id: %s\n", window_text);
        return -1;
    }
    if (saver_open_display(window) != 0) {
        fprintf(stderr, "tobuna: cannot open the X display %s\n", XDisplayName(nullptr));
        return -1;
    }
    if (saver_window_size(window) != 0) {
        saver_close_display(window);
        fprintf(stderr, "tobuna: cannot reach the window XSCREENSAVER_WINDOW=%s\n", window_text);
        return -1;
    }
    saver_set_sdl_environment(*window, args.sound);
    return 0;
}
