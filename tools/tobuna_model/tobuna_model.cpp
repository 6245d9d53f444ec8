// tobuna-model: converts Wavefront OBJ/MTL models into the show's dump files
// and describes model files.
#include "model_tool.h"

#include <cstring>
#include <string_view>

static const char usage_text[] =
    "usage: tobuna-model convert IN.obj OUT.dump\n"
    "       tobuna-model info [--json] FILE\n"
    "       tobuna-model render FILE OUT.png [--mode outlined|solid|wire] [--size WxH]\n"
    "                           [--yaw DEG] [--pitch DEG]\n"
    "       tobuna-model view FILE [--watch]\n"
    "       tobuna-model check-show DIR\n"
    "       tobuna-model title OUT.png --time MS [--flags N] [--size WxH]\n"
    "       tobuna-model scene OUT.png [--mice N] [--balls N] [--steps N] [--camera MODE]\n"
    "                          [--follow mouse|ball] [--height Z] [--tilt DEG] [--glide S]\n"
    "                          [--seed N] [--size WxH]\n"
    "\n"
    "convert  imports an OBJ file with its MTL libraries, checks it against the\n"
    "         dump format's limits and writes it as a dump file; a model that\n"
    "         does not fit is refused with the reason and nothing is written\n"
    "info     describes a .dump or .obj file: counts, objects with their kinds,\n"
    "         groups and pivots, materials, pivot points and axes, bounds\n"
    "render   draws the model framed by its bounding box on a plain background\n"
    "         and writes it as PNG (default outlined, 512x512, yaw 30, pitch 20)\n"
    "view     shows the model turning in a window; keys 1, 2, 3 switch between\n"
    "         outlined, solid and wire; the wheel or + and - zoom; the arrow keys\n"
    "         turn it (and stop its own turning); o turns the pivoted parts (the\n"
    "         key, and the tail 1.5 times as fast the other way); f frames the\n"
    "         model again; Escape or closing the window ends it. --watch loads\n"
    "         the file again when it (or an OBJ's material library) changes,\n"
    "         keeping the view; one that does not load leaves the last model\n"
    "         on show and prints the reason\n"
    "check-show\n"
    "         reports, as FILE: reason, each file of the data folder DIR that\n"
    "         the show would miss or misuse: the seven models (the mouse's body,\n"
    "         key, tail, their pivots and \"ruumis\"; balls of radius 1; the cube;\n"
    "         the credits' glyphs) and the song (tempo 125, tracks t1..t13, loops\n"
    "         in step with the rows of 64, notes within c1..b6 when transposed)\n"
    "title    writes one frame of the show's title scene at MS milliseconds,\n"
    "         drawn from the models in ./data (default 640x480, flags 0)\n"
    "scene    runs the main scene for N frames of 1/75 s from a World of mice\n"
    "         (wanderers, runners and followers by turns at random spots) and\n"
    "         balls, and writes the last frame; modes 2 to 6 follow the newest\n"
    "         mouse, or ball, Z over it in modes 2 to 4; the camera glides for S\n"
    "         seconds from high above (default 8 mice, 2 balls, 300 frames,\n"
    "         mode 1, height 0.2, tilt 0, glide 1, seed 1, 800x600)\n"
    "\n"
    "exit status: 0 done, 1 bad input, 2 wrong usage\n";

static int usage_error(const char *why)
{
    fprintf(stderr, "tobuna-model: %s\n%s", why, usage_text);
    return TOOL_USAGE;
}

static bool ends_with(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

int tool_load_model(Model *model, const char *path)
{
    if (ends_with(path, ".dump")) {
        if (model_load_dump(model, path) != 0) {
            fprintf(stderr, "%s: %s\n", path, model_last_error());
            return -1;
        }
    } else if (model_load_obj(model, path) != 0) {
        fprintf(stderr, "%s\n", model_last_error());
        return -1;
    }
    return 0;
}

static int convert(const char *in_path, const char *out_path)
{
    Model model{};
    if (tool_load_model(&model, in_path) != 0)
        return TOOL_BAD_INPUT;
    int status = TOOL_OK;
    if (model_check_storable(&model) != 0) {
        fprintf(stderr, "%s: %s\n", in_path, model_last_error());
        status = TOOL_BAD_INPUT;
    } else if (model_save_dump(&model, out_path) != 0) {
        fprintf(stderr, "%s: %s\n", out_path, model_last_error());
        status = TOOL_BAD_INPUT;
    }
    model_free(&model);
    return status;
}

static int info(int argc, char **argv)
{
    bool json = false;
    const char *path = nullptr;
    for (int i = 0; i < argc; i++) {
        if (strcmp(argv[i], "--json") == 0)
            json = true;
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return usage_error("unknown option for info");
        else if (path)
            return usage_error("info takes one file");
        else
            path = argv[i];
    }
    if (!path)
        return usage_error("info needs a file");
    Model model{};
    if (tool_load_model(&model, path) != 0)
        return TOOL_BAD_INPUT;
    if (json)
        print_model_info_json(stdout, path, &model);
    else
        print_model_info(stdout, path, &model);
    model_free(&model);
    return TOOL_OK;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage_error("no command");
    std::string_view command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(usage_text, stdout);
        return TOOL_OK;
    }
    if (command == "convert") {
        if (argc != 4)
            return usage_error("convert takes IN.obj OUT.dump");
        return convert(argv[2], argv[3]);
    }
    if (command == "info")
        return info(argc - 2, argv + 2);
    if (command == "render")
        return render_command(argc - 2, argv + 2);
    if (command == "view")
        return view_command(argc - 2, argv + 2);
    if (command == "check-show")
        return check_show_command(argc - 2, argv + 2);
    if (command == "title")
        return title_command(argc - 2, argv + 2);
    if (command == "scene")
        return scene_command(argc - 2, argv + 2);
    return usage_error("unknown command");
}
