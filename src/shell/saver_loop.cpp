// The frame loop of the screensaver hack: the show's passes, with input
// dropped and the daemon's window followed when it is resized.
#include "shell/saver.h"
#include "shell/shell.h"
#include "world/world.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

int saver_input_of(const SDL_Event *event)
{
    return event->type == SDL_QUIT ? LOOP_INPUT_QUIT : LOOP_INPUT_OTHER;
}

int saver_size_changed(const SaverWindow &window, int new_width, int new_height)
{
    return new_width != window.width || new_height != window.height;
}

int saver_follow_size(SaverWindow *window)
{
    SaverWindow now = *window;
    if (saver_window_size(&now) != 0)
        return -1;
    if (saver_size_changed(*window, now.width, now.height)) {
        // The show's projection has a fixed aspect: the picture fills the
        // new size as it fills any window it starts in.
        glViewport(0, 0, now.width, now.height);
        window->width = now.width;
        window->height = now.height;
    }
    return 0;
}

void saver_loop_run(FrameLoop *loop, SaverWindow *window)
{
    int frames_to_check = SAVER_SIZE_CHECK_FRAMES;
    for (;;) {
        uint32_t now = SDL_GetTicks();
        if (frame_loop_frame_due(loop, now)) {
            if (--frames_to_check == 0) {
                frames_to_check = SAVER_SIZE_CHECK_FRAMES;
                if (saver_follow_size(window) != 0)
                    loop->run_state = RUN_QUIT;  // the daemon took its window away
            }
            if (loop->run_state != RUN_QUIT) {
                show_frame((int)(now - loop->loop_start));
                SDL_GL_SwapBuffers();
            }
        }

        SDL_Event event;
        while (SDL_PollEvent(&event))
            frame_loop_input(loop, saver_input_of(&event), &show_world);

        if (loop->run_state == RUN_QUIT)
            break;
    }
}
