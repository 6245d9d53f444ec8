// Program entry: SDL with one OpenGL window, start-up, the frame loop.
#include "shell/install_data.h"
#include "shell/saver.h"
#include "shell/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    use_installed_data();

    // Run by a screensaver daemon: its window, its options, its ending.
    const char *saver_text = getenv("XSCREENSAVER_WINDOW");
    int saving = saver_text && *saver_text;
    SaverWindow saver = {0, 0, 0, nullptr};
    if (saving && saver_prepare(saver_text, argc, argv, &saver) != 0)
        return -1;

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        saver_close_display(&saver);
        return -1;
    }

    ShowArgs args = show_parse_args(argc, argv);
    Uint32 mode = args.windowed ? SDL_OPENGL : SDL_OPENGL | SDL_FULLSCREEN;
    if (saving) {
        args.width = saver.width;
        args.height = saver.height;
        mode = SDL_OPENGL;
    }
    if (!SDL_SetVideoMode(args.width, args.height, 32, mode)) {
        // Nothing can be drawn without the window; stop before any OpenGL call.
        fprintf(stderr, "Unable to set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        saver_close_display(&saver);
        return -1;
    }
    // The daemon's window keeps its name and its pointer.
    if (!saving) {
        SDL_WM_SetCaption("Tobuna", nullptr);
        SDL_ShowCursor(SDL_DISABLE);
    }

    if (show_init() != 0) {
        SDL_Quit();
        saver_close_display(&saver);
        return -1;
    }

    FrameLoop loop = frame_loop_start(SDL_GetTicks());
    if (saving)
        saver_loop_run(&loop, &saver);
    else
        frame_loop_run(&loop);

    SDL_Quit();  // stops the audio thread first
    show_end();
    saver_close_display(&saver);
    return 0;
}
