// Program entry: SDL with one OpenGL window, start-up, the frame loop.
#include "shell/shell.h"

#include <SDL/SDL.h>
#include <cstdio>

int main(int argc, char **argv)
{
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        return -1;
    }

    ShowArgs args = show_parse_args(argc, argv);
    Uint32 mode = args.windowed ? SDL_OPENGL : SDL_OPENGL | SDL_FULLSCREEN;
    if (!SDL_SetVideoMode(args.width, args.height, 32, mode)) {
        // Nothing can be drawn without the window; stop before any OpenGL call.
        fprintf(stderr, "Unable to set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return -1;
    }
    SDL_WM_SetCaption("Tobuna", nullptr);
    SDL_ShowCursor(SDL_DISABLE);

    if (show_init() != 0) {
        SDL_Quit();
        return -1;
    }

    FrameLoop loop = frame_loop_start(SDL_GetTicks());
    frame_loop_run(&loop);

    SDL_Quit();  // stops the audio thread first
    show_end();
    return 0;
}
