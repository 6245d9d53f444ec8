// tobuna-model view: a window in which a model turns, to be zoomed, turned
// and animated by hand; with --watch the file (an OBJ with its material
// libraries, or a dump) is loaded again whenever it changes, keeping the
// view, and a file that does not load leaves the last good model shown.
#include "model_tool.h"
#include "file_stamp.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int WINDOW_WIDTH = 640, WINDOW_HEIGHT = 480;
constexpr double TURN_RATE = 0.02;  // degrees a millisecond of the window's own turning
constexpr double KEY_TURN = 10.0;   // degrees an arrow key turns
constexpr double ZOOM_STEP = 1.1;   // zoom factor of a wheel notch or +/-
constexpr double ZOOM_LOW = 0.05, ZOOM_HIGH = 50.0;
constexpr double PITCH_LIMIT = 89.0;     // degrees above or below
constexpr double ANIMATION_RATE = 0.18;  // degrees a millisecond the key turns
constexpr double TAIL_RATIO = -1.5;      // the tail's turn against the key's, as the show draws it
constexpr int WATCH_MS = 100;            // between looks at the files
constexpr int SETTLE_MS = 100;           // a changed file must stay so this long

bool ends_with(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The files a load of the model reads: the file itself and, for an OBJ
// file, every place a library it names is looked for (the working
// directory, then beside the OBJ file).
std::vector<std::string> files_read(const std::string &path)
{
    std::vector<std::string> files{path};
    if (ends_with(path, ".dump"))
        return files;
    std::unique_ptr<FILE, int (*)(FILE *)> file(fopen(path.c_str(), "rb"), fclose);
    if (!file)
        return files;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    char line[4096];
    while (fgets(line, sizeof line, file.get())) {
        std::string_view text = line;
        size_t start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos || text.substr(start, 6) != "mtllib")
            continue;
        text.remove_prefix(start + 6);
        for (;;) {
            size_t a = text.find_first_not_of(" \t\r\n");
            if (a == std::string_view::npos)
                break;
            size_t b = text.find_first_of(" \t\r\n", a);
            std::string name(
                text.substr(a, b == std::string_view::npos ? std::string_view::npos : b - a));
            files.push_back(name);
            if (!folder.empty() && name[0] != '/')
                files.push_back(folder + name);
            if (b == std::string_view::npos)
                break;
            text.remove_prefix(b);
        }
    }
    return files;
}

// The watcher: a change is acted on once the files have stayed the same
// for SETTLE_MS, so that an export being written is not read half done.
struct Watch {
    std::string path;
    std::vector<std::string> files;  // what the last load read
    std::vector<FileStamp> loaded;   // their versions then
    std::vector<FileStamp> seen;     // their versions at the last look
    Uint32 seen_since;               // ms
    Uint32 next_look;                // ms
};

std::vector<FileStamp> stamps_of(const std::vector<std::string> &files)
{
    std::vector<FileStamp> stamps;
    stamps.reserve(files.size());
    for (const std::string &f : files)
        stamps.push_back(file_stamp(f.c_str()));
    return stamps;
}

bool same_stamps(const std::vector<FileStamp> &a, const std::vector<FileStamp> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!same_stamp(a[i], b[i]))
            return false;
    return true;
}

// Notes what the load about to happen reads; called just before it.
void watch_loading(Watch *w)
{
    w->files = files_read(w->path);
    w->loaded = w->seen = stamps_of(w->files);
}

// Whether the files have changed and settled since the last load.
bool watch_due(Watch *w, Uint32 now)
{
    if ((int32_t)(now - w->next_look) < 0)
        return false;
    w->next_look = now + WATCH_MS;
    std::vector<FileStamp> stamps = stamps_of(w->files);
    if (!same_stamps(stamps, w->seen)) {
        w->seen = stamps;
        w->seen_since = now;
        return false;
    }
    return !same_stamps(stamps, w->loaded) && now - w->seen_since >= (Uint32)SETTLE_MS;
}

// Deletes the display lists the model's outlined draw built.
void delete_display_lists(Model *model)
{
    for (ModelObject *o = model->objects; o; o = o->next)
        for (ModelGroup *g = o->groups; g; g = g->next)
            if (g->display_list >= 0)
                glDeleteLists((GLuint)g->display_list, 1);
}

// Turns the pivoted parts as the show turns the mouse's: the tail by -1.5
// times the key's angle, any other part by the angle itself.
void pose_parts(Model *model, double angle)
{
    for (ModelObject *o = model->objects; o; o = o->next)
        if (o->pivot)
            o->angle = (float)(strcmp(o->name, "tail") == 0 ? TAIL_RATIO * angle : angle);
}

// The viewer's state besides the model.
struct Viewer {
    ModelView view;
    ModelFrame frame;
    bool turning = true;        // the window turns the model by itself
    double turn_origin = 30.0;  // yaw at turn_start, degrees
    Uint32 turn_start = 0;
    bool animating = false;   // the pivoted parts turn
    double part_angle = 0.0;  // degrees
};

void zoom_by(Viewer *v, double factor)
{
    v->view.zoom = std::fmin(ZOOM_HIGH, std::fmax(ZOOM_LOW, v->view.zoom * factor));
}

// An arrow key takes the turning over from the window.
void turn_by(Viewer *v, double yaw, double pitch)
{
    v->turning = false;
    v->view.yaw = std::fmod(v->view.yaw + yaw, 360.0);
    v->view.pitch = std::fmin(PITCH_LIMIT, std::fmax(-PITCH_LIMIT, v->view.pitch + pitch));
}

// Acts on a key; false when it ends the viewer.
bool handle_key(Viewer *v, const Model *model, SDLKey key)
{
    switch (key) {
    case SDLK_ESCAPE:
        return false;
    case SDLK_1:
        v->view.mode = DRAW_OUTLINED;
        break;
    case SDLK_2:
        v->view.mode = DRAW_SOLID;
        break;
    case SDLK_3:
        v->view.mode = DRAW_WIRE;
        break;
    case SDLK_PLUS:
    case SDLK_EQUALS:  // + without shift on most keyboards
    case SDLK_KP_PLUS:
        zoom_by(v, ZOOM_STEP);
        break;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        zoom_by(v, 1.0 / ZOOM_STEP);
        break;
    case SDLK_LEFT:
        turn_by(v, -KEY_TURN, 0.0);
        break;
    case SDLK_RIGHT:
        turn_by(v, KEY_TURN, 0.0);
        break;
    case SDLK_UP:
        turn_by(v, 0.0, KEY_TURN);
        break;
    case SDLK_DOWN:
        turn_by(v, 0.0, -KEY_TURN);
        break;
    case SDLK_o:
        v->animating = !v->animating;
        break;
    case SDLK_f:
        v->frame = model_frame_of(model);
        v->view.zoom = 1.0;
        break;
    default:
        break;
    }
    return true;
}

// Loads the file again into a new model; on success the old one is
// released and replaced, otherwise it stays and the reason is printed.
void reload(Model *model, Watch *w, const char *path)
{
    watch_loading(w);
    Model fresh{};
    if (tool_load_model(&fresh, path) != 0) {
        fprintf(stderr, "tobuna-model: %s: the last model that loaded stays on show\n", path);
        return;
    }
    delete_display_lists(model);
    model_free(model);
    *model = fresh;
    printf("tobuna-model: %s reloaded\n", path);
    fflush(stdout);
}

}  // namespace

int view_command(int argc, char **argv)
{
    const char *path = nullptr;
    bool watch = false;
    for (int i = 0; i < argc; i++) {
        const char *why = nullptr;
        if (strcmp(argv[i], "--watch") == 0)
            watch = true;
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            why = "unknown option for view";
        else if (path)
            why = "view takes one FILE";
        else
            path = argv[i];
        if (why) {
            fprintf(stderr, "tobuna-model: %s (see tobuna-model --help)\n", why);
            return TOOL_USAGE;
        }
    }
    if (!path) {
        fprintf(stderr, "tobuna-model: view takes one FILE (see tobuna-model --help)\n");
        return TOOL_USAGE;
    }
    Watch w{};
    w.path = path;
    watch_loading(&w);
    Model model{};
    if (tool_load_model(&model, path) != 0)
        return TOOL_BAD_INPUT;
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "tobuna-model: Unable to init SDL: %s\n", SDL_GetError());
        model_free(&model);
        return TOOL_BAD_INPUT;
    }
    Viewer v;
    v.view.width = WINDOW_WIDTH;
    v.view.height = WINDOW_HEIGHT;
    v.frame = model_frame_of(&model);
    if (!SDL_SetVideoMode(v.view.width, v.view.height, 32, SDL_OPENGL)) {
        fprintf(stderr, "tobuna-model: Unable to set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        model_free(&model);
        return TOOL_BAD_INPUT;
    }
    char caption[256];
    snprintf(caption, sizeof caption,
             "tobuna-model: %s (1 outlined, 2 solid, 3 wire; wheel or +/- zoom, arrows turn, o "
             "animate, f frame)",
             path);
    SDL_WM_SetCaption(caption, nullptr);
    SDL_EnableKeyRepeat(SDL_DEFAULT_REPEAT_DELAY, SDL_DEFAULT_REPEAT_INTERVAL);

    bool running = true;
    Uint32 last = SDL_GetTicks();
    v.turn_start = last;
    while (running) {
        SDL_Event event;
        while (running && SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                running = false;
            else if (event.type == SDL_KEYDOWN)
                running = handle_key(&v, &model, event.key.keysym.sym);
            else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_WHEELUP)
                zoom_by(&v, ZOOM_STEP);
            else if (event.type == SDL_MOUSEBUTTONDOWN &&
                     event.button.button == SDL_BUTTON_WHEELDOWN)
                zoom_by(&v, 1.0 / ZOOM_STEP);
        }
        Uint32 now = SDL_GetTicks();
        if (watch && watch_due(&w, now))
            reload(&model, &w, path);
        if (v.turning)
            v.view.yaw = v.turn_origin + (now - v.turn_start) * TURN_RATE;
        if (v.animating)
            v.part_angle = std::fmod(v.part_angle + (now - last) * ANIMATION_RATE, 360.0);
        last = now;
        pose_parts(&model, v.part_angle);
        draw_model_view(&model, v.view, v.frame);
        SDL_GL_SwapBuffers();
        SDL_Delay(10);
    }
    SDL_Quit();
    model_free(&model);
    return TOOL_OK;
}
