// The tobuna-model tool's commands.
#pragma once

#include "models/models.h"

// Exit statuses.
constexpr int TOOL_OK = 0;
constexpr int TOOL_BAD_INPUT = 1;
constexpr int TOOL_USAGE = 2;

// How a model is looked at.
struct ModelView {
    int mode = DRAW_OUTLINED;
    int width = 512, height = 512;    // pixels
    double yaw = 30.0, pitch = 20.0;  // degrees around and above
    double zoom = 1.0;                // 1: the frame's sphere fills the picture
};

// The part of space a picture is framed on.
struct ModelFrame {
    double centre[3];  // of the bounding box
    double radius;     // half its diagonal; 1 for an empty or flat-point model
};

// Loads a .dump file or, by any other name, an OBJ file; prints
// "FILE: reason" or "FILE:LINE: reason" on standard error on failure.
int tool_load_model(Model *model, const char *path);

// The frame of the model's bounding box.
ModelFrame model_frame_of(const Model *model);
// Clears the picture and draws the model in the view on that frame.
void draw_model_view(Model *model, const ModelView &view, const ModelFrame &frame);

// Prints the model's counts, objects, materials, pivots and bounds.
void print_model_info(FILE *out, const char *path, Model *model);
// The same as one JSON object.
void print_model_info_json(FILE *out, const char *path, Model *model);

// tobuna-model render FILE OUT.png [--mode M] [--size WxH] [--yaw D] [--pitch D]
int render_command(int argc, char **argv);
// tobuna-model view FILE [--watch]
int view_command(int argc, char **argv);
// tobuna-model check-show DIR: "FILE: reason" for each way the data folder
// falls short of what the show reads.
int check_show_command(int argc, char **argv);
// tobuna-model title OUT.png --time MS [--flags N] [--size WxH]
int title_command(int argc, char **argv);
// tobuna-model scene OUT.png [--mice N] [--balls N] [--steps N] [--camera MODE]
//     [--follow mouse|ball] [--height Z] [--tilt DEG] [--glide S] [--seed N] [--size WxH]
int scene_command(int argc, char **argv);
