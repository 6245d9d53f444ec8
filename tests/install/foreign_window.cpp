// A window made the way a screensaver daemon makes one for its hack: plain,
// mapped, its id printed in hexadecimal on standard output. Reads commands
// from standard input: "resize W H" changes its size; end of input closes it.
// Usage: foreign_window WIDTH HEIGHT
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: foreign_window WIDTH HEIGHT\n");
        return 2;
    }
    int width = atoi(argv[1]), height = atoi(argv[2]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "foreign_window: no display\n");
        return 1;
    }
    int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, (unsigned)width,
                                        (unsigned)height, 0, BlackPixel(display, screen),
                                        BlackPixel(display, screen));
    XStoreName(display, window, "foreign-window");
    XMapRaised(display, window);
    XSync(display, False);
    printf("0x%lx\n", (unsigned long)window);
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        int w, h;
        if (sscanf(line, "resize %d %d", &w, &h) == 2) {
            XResizeWindow(display, window, (unsigned)w, (unsigned)h);
            XSync(display, False);
            printf("resized\n");
            fflush(stdout);
        }
    }
    XCloseDisplay(display);
    return 0;
}
