// Pictures of models for people who make them: a PNG of one model, a PNG
// of one title frame and one of a main-scene frame.
#include "model_tool.h"
#include "offscreen.h"

#include "direction/direction.h"
#include "world/world.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

int parse_mode(const char *text, int *mode)
{
    std::string_view s = text;
    if (s == "outlined")
        *mode = DRAW_OUTLINED;
    else if (s == "solid")
        *mode = DRAW_SOLID;
    else if (s == "wire")
        *mode = DRAW_WIRE;
    else
        return -1;
    return 0;
}

int parse_size(const char *text, int *width, int *height)
{
    char tail;
    if (sscanf(text, "%dx%d%c", width, height, &tail) != 2 || *width < 1 || *height < 1 ||
        *width > 8192 || *height > 8192)
        return -1;
    return 0;
}

int parse_number(const char *text, double *value)
{
    char *end;
    *value = strtod(text, &end);
    return *text && !*end && std::isfinite(*value) ? 0 : -1;
}

// A whole number low..high.
int parse_count(const char *text, int low, int high, int *value)
{
    double v;
    if (parse_number(text, &v) != 0 || v < low || v > high || v != std::floor(v))
        return -1;
    *value = (int)v;
    return 0;
}

int usage(const char *why)
{
    fprintf(stderr, "tobuna-model: %s (see tobuna-model --help)\n", why);
    return TOOL_USAGE;
}

}  // namespace

ModelFrame model_frame_of(const Model *model)
{
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    for (int i = 0; i < model->vertex_count; i++) {
        for (int a = 0; a < 3; a++) {
            float v = model->vertices[3 * i + a];
            if (i == 0 || v < low[a])
                low[a] = v;
            if (i == 0 || v > high[a])
                high[a] = v;
        }
    }
    ModelFrame frame;
    frame.radius = 0.0;
    for (int a = 0; a < 3; a++) {
        frame.centre[a] = 0.5 * ((double)low[a] + high[a]);
        double half = 0.5 * ((double)high[a] - low[a]);
        frame.radius += half * half;
    }
    frame.radius = frame.radius > 0.0 ? std::sqrt(frame.radius) : 1.0;
    return frame;
}

namespace {

// Sets the projection, camera and light so that the frame's sphere fills
// the picture (at zoom 1), seen from yaw degrees around z and pitch
// degrees above.
void set_camera(const ModelView &view, const ModelFrame &frame)
{
    double radius = frame.radius;
    double distance = radius / std::sin(15.0 * M_PI / 180.0) * 1.05 / view.zoom;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, (double)view.width / view.height, distance * 0.05,
                   distance + 2.0 * radius);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light_direction[4] = {0.3f, 0.6f, 1.0f, 0.0f};  // from the viewer's upper right
    glLightfv(GL_LIGHT0, GL_POSITION, light_direction);
    glTranslated(0.0, 0.0, -distance);
    glRotated(view.pitch, 1.0, 0.0, 0.0);
    glRotated(-90.0, 1.0, 0.0, 0.0);  // scene z up
    glRotated(-view.yaw, 0.0, 0.0, 1.0);
    glTranslated(-frame.centre[0], -frame.centre[1], -frame.centre[2]);
}

}  // namespace

void draw_model_view(Model *model, const ModelView &view, const ModelFrame &frame)
{
    glClearColor(0.8f, 0.8f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT, GL_FILL);
    if (view.mode == DRAW_OUTLINED) {
        glDisable(GL_LIGHTING);
    } else {
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
    }
    set_camera(view, frame);
    model_draw(model, view.mode);
}

namespace {

int write_frame(const char *path, int width, int height)
{
    std::vector<uint8_t> rgb = offscreen_read_rgb();
    if (png_write_rgb(path, width, height, rgb.data()) != 0) {
        fprintf(stderr, "%s: cannot write the picture\n", path);
        return TOOL_BAD_INPUT;
    }
    return TOOL_OK;
}

// Loads the show's models from ./data and opens a frame of that size: 0, or
// -1 after its message.
int open_show_frame(int width, int height)
{
    if (load_models() != 0) {
        fprintf(stderr, "data/hiiri.dump: %s\n", model_last_error());
        return -1;
    }
    if (offscreen_open(width, height) != 0) {
        fprintf(stderr, "tobuna-model: %s\n", offscreen_error());
        return -1;
    }
    return 0;
}

}  // namespace

int render_command(int argc, char **argv)
{
    ModelView view;
    const char *paths[2] = {nullptr, nullptr};
    int path_count = 0;
    for (int i = 0; i < argc; i++) {
        std::string_view arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--mode" && has_value) {
            if (parse_mode(argv[++i], &view.mode) != 0)
                return usage("--mode takes outlined, solid or wire");
        } else if (arg == "--size" && has_value) {
            if (parse_size(argv[++i], &view.width, &view.height) != 0)
                return usage("--size takes WIDTHxHEIGHT, each 1 to 8192");
        } else if (arg == "--yaw" && has_value) {
            if (parse_number(argv[++i], &view.yaw) != 0)
                return usage("--yaw takes degrees");
        } else if (arg == "--pitch" && has_value) {
            if (parse_number(argv[++i], &view.pitch) != 0)
                return usage("--pitch takes degrees");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for render, or an option without its value");
        } else if (path_count < 2) {
            paths[path_count++] = argv[i];
        } else {
            return usage("render takes FILE and OUT.png");
        }
    }
    if (path_count != 2)
        return usage("render takes FILE and OUT.png");

    Model model{};
    if (tool_load_model(&model, paths[0]) != 0)
        return TOOL_BAD_INPUT;
    if (offscreen_open(view.width, view.height) != 0) {
        fprintf(stderr, "tobuna-model: %s\n", offscreen_error());
        model_free(&model);
        return TOOL_BAD_INPUT;
    }
    ModelFrame frame = model_frame_of(&model);
    draw_model_view(&model, view, frame);  // builds the display lists, so the outline shows
    draw_model_view(&model, view, frame);
    int status = write_frame(paths[1], view.width, view.height);
    offscreen_close();
    model_free(&model);
    return status;
}

int title_command(int argc, char **argv)
{
    const char *path = nullptr;
    double time = -1.0;
    int flags = 0;
    int width = 640, height = 480;
    for (int i = 0; i < argc; i++) {
        std::string_view arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--time" && has_value) {
            if (parse_number(argv[++i], &time) != 0 || time < 0.0)
                return usage("--time takes milliseconds");
        } else if (arg == "--flags" && has_value) {
            if (parse_count(argv[++i], 0, 2147483647, &flags) != 0)
                return usage("--flags takes a whole number 0 to 2147483647");
        } else if (arg == "--size" && has_value) {
            if (parse_size(argv[++i], &width, &height) != 0)
                return usage("--size takes WIDTHxHEIGHT, each 1 to 8192");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for title, or an option without its value");
        } else if (!path) {
            path = argv[i];
        } else {
            return usage("title takes one OUT.png");
        }
    }
    if (!path || time < 0.0)
        return usage("title takes OUT.png and --time MS");

    if (open_show_frame(width, height) != 0)
        return TOOL_BAD_INPUT;
    load_title_assets(flags);
    draw_title_scene(time, flags);  // builds the display lists
    draw_title_scene(time, flags);
    int status = write_frame(path, width, height);
    offscreen_close();
    return status;
}

namespace {

struct SceneOptions {
    int mice = 8, balls = 2, steps = 300;
    int camera = 1;
    bool follow_ball = false;
    double tilt = 0.0, glide = 1.0, seed = 1.0, view_height = 0.2;
    int width = 800, height = 600;
};

// Fills the show's World: balls of every kind from the four side points,
// and mice at random spots on the floor, by turns a wanderer, a runner for
// the newest ball and a follower of the mouse before it.
void populate(const SceneOptions &options)
{
    srand((unsigned)options.seed);
    world_reset(&show_world, 1.0f, 1.0f);
    inertia = inertia_target = 0.5f;
    for (int i = 0; i < options.balls; i++)
        ball_create(&show_world, i % 4, i % 4);
    Mouse *last = nullptr;
    for (int i = 0; i < options.mice; i++) {
        float x = (float)(1.6 * random_unit() - 0.8);
        float y = (float)(1.6 * random_unit() - 0.8);
        float heading = (float)(360.0 * random_unit());
        Mouse *m = i % 3 == 0   ? spawn_wanderer(&show_world, x, y, 0.0f, heading)
                   : i % 3 == 1 ? spawn_runner(&show_world, x, y, 0.0f, heading)
                                : spawn_follower(&show_world, x, y, 0.0f, heading, last);
        if (m)
            last = m;
    }
}

}  // namespace

int scene_command(int argc, char **argv)
{
    SceneOptions options;
    const char *path = nullptr;
    for (int i = 0; i < argc; i++) {
        std::string_view arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--mice" && has_value) {
            if (parse_count(argv[++i], 0, 1000, &options.mice) != 0)
                return usage("--mice takes a count 0 to 1000");
        } else if (arg == "--balls" && has_value) {
            if (parse_count(argv[++i], 0, 1000, &options.balls) != 0)
                return usage("--balls takes a count 0 to 1000");
        } else if (arg == "--steps" && has_value) {
            if (parse_count(argv[++i], 1, 1000000, &options.steps) != 0)
                return usage("--steps takes a count 1 to 1000000");
        } else if (arg == "--camera" && has_value) {
            if (parse_count(argv[++i], 0, 6, &options.camera) != 0)
                return usage("--camera takes a mode 0 to 6");
        } else if (arg == "--follow" && has_value) {
            std::string_view what = argv[++i];
            if (what != "mouse" && what != "ball")
                return usage("--follow takes mouse or ball");
            options.follow_ball = what == "ball";
        } else if (arg == "--tilt" && has_value) {
            if (parse_number(argv[++i], &options.tilt) != 0)
                return usage("--tilt takes degrees");
        } else if (arg == "--height" && has_value) {
            if (parse_number(argv[++i], &options.view_height) != 0)
                return usage("--height takes floor units");
        } else if (arg == "--glide" && has_value) {
            if (parse_number(argv[++i], &options.glide) != 0 || options.glide <= 0.0)
                return usage("--glide takes seconds above 0");
        } else if (arg == "--seed" && has_value) {
            if (parse_number(argv[++i], &options.seed) != 0 || options.seed < 0 ||
                options.seed > 4294967295.0 || options.seed != std::floor(options.seed))
                return usage("--seed takes a whole number 0 to 4294967295");
        } else if (arg == "--size" && has_value) {
            if (parse_size(argv[++i], &options.width, &options.height) != 0)
                return usage("--size takes WIDTHxHEIGHT, each 1 to 8192");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for scene, or an option without its value");
        } else if (!path) {
            path = argv[i];
        } else {
            return usage("scene takes one OUT.png");
        }
    }
    if (!path)
        return usage("scene takes OUT.png");

    if (open_show_frame(options.width, options.height) != 0)
        return TOOL_BAD_INPUT;
    populate(options);
    camera_set_mode(options.camera);
    camera_set_tilt_target((float)options.tilt);
    camera_set_height((float)options.view_height);
    if (options.follow_ball && show_world.balls)
        camera_set_followed(&show_world.balls->position, nullptr);
    else if (show_world.mice)
        camera_set_followed(&show_world.mice->position, &show_world.mice->heading);
    camera_glide((float)options.glide);
    for (int i = 0; i < options.steps; i++)
        main_scene_frame(1.0f / 75.0f);
    int status = write_frame(path, options.width, options.height);
    offscreen_close();
    return status;
}
