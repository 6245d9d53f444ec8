// The application shell: command line, start-up, the fixed-rate frame loop,
// its events and run states, and the frame dispatch between the title and
// the main scene.
//
// SDL's window and events are touched only by the entry (main.cpp) and
// frame_loop_run (the director also unpauses the audio device every frame);
// the decisions of the loop are plain functions of their inputs so that
// they can be driven without a window, and the show's time is an input of
// show_frame so that it can be driven on a virtual clock.
#pragma once

#include <cstdint>

struct World;
union SDL_Event;

// Run states of the frame loop.
enum {
    RUN_RUNNING = 0,
    RUN_QUIT = 1,
    RUN_ENDING = 2,
};

// Where start-up sends the song.
enum {
    SHOW_AUDIO_DEVICE = 0,  // the audio device, opened paused
    SHOW_AUDIO_NONE = 1,    // no device: the caller runs the mixer itself
};

// How a frame is run.
enum {
    FRAME_DRAWN = 0,    // drawn into the current OpenGL context
    FRAME_UNDRAWN = 1,  // advanced exactly as a drawn frame, without drawing
};

// What the loop makes of one event.
enum {
    LOOP_INPUT_OTHER = 0,   // dropped
    LOOP_INPUT_QUIT = 1,    // close request or any mouse button
    LOOP_INPUT_ESCAPE = 2,  // the Escape key
};

// What the command line asks for.
struct ShowArgs {
    int windowed;  // non-zero: a window, else full screen
    int width;     // pixels
    int height;    // pixels
};

// The frame loop's own state.
struct FrameLoop {
    int run_state;         // RUN_*
    int last_frame_index;  // frame index of the last frame drawn, -1 before
    uint32_t loop_start;   // SDL milliseconds, read right after start-up
};

// Non-zero while frames show the title scene; written by set_title_active.
extern int title_active;
// One rand() value drawn at start-up; chooses details of the title.
extern int show_flags;

// Window or full screen, and the size, from argc/argv as main receives them.
ShowArgs show_parse_args(int argc, const char *const *argv);

// Seeds rand from the clock, then show_start with the audio device.
int show_init();
// Seeds rand, puts the show's state back to its start (show_reset), loads
// the models, starts the synthesiser (on the audio device or without one),
// draws show_flags, loads the title assets. 0, or -1 after its message.
int show_start(unsigned seed, int audio);
// Every value the show keeps between frames back to its start: the World
// (its records released), inertia, director, scene events, camera, floor,
// title_active and the previous frame time.
void show_reset();
// Releases the World's records and the models at the end of a run.
void show_end();
// Draws and advances one frame; t is milliseconds since the loop start.
void show_frame(int t);
// Runs one frame FRAME_DRAWN or FRAME_UNDRAWN; t as for show_frame.
void show_run_frame(int t, int how);
// Stores the value in title_active.
void set_title_active(int value);

// Seconds between two frame times in milliseconds, as a frame steps by.
float frame_dt(int t, int previous_t);
// Whole 75ths of a second in an SDL clock reading.
int frame_index_of(uint32_t ticks);

// A loop in RUN_RUNNING that has drawn no frame yet.
FrameLoop frame_loop_start(uint32_t loop_start);
// First step of a pass: in the ending, send everything away again and quit
// once no mouse is left.
void frame_loop_ending_pass(FrameLoop *loop, World *world);
// Whether a frame is due at clock reading now; if so it counts as drawn.
int frame_loop_frame_due(FrameLoop *loop, uint32_t now);
// Applies one LOOP_INPUT_* to the run state (Escape starts the ending).
void frame_loop_input(FrameLoop *loop, int input, World *world);
// The LOOP_INPUT_* of an SDL event.
int loop_input_of(const SDL_Event *event);
// Runs passes until the run state is RUN_QUIT.
void frame_loop_run(FrameLoop *loop);
