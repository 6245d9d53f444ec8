// tobuna-model check-show DIR: whether a data folder will work in the show,
// file by file: every file the show reads is there, loads, and holds what
// the show looks for in it. Each finding is one "FILE: reason" line.
#include "model_tool.h"

#include "direction/director_tables.h"
#include "models/title_local.h"
#include "synth/synth.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The show's tempo: the title's credits are timed for its 255 steps of it.
constexpr int SHOW_TEMPO = 125;
// The director's period of arrangement rows, in steps.
constexpr int ROW_PERIOD = 64;
// How far a ball's radius or the cube's half side may be from 1.
constexpr double UNIT_TOLERANCE = 0.1;
// The transpositions the director sends; the title plays untransposed.
constexpr int show_transpositions[4] = {0, 4, -4, -8};

// What a model file is for, which decides what it must hold.
enum {
    FILE_MOUSE = 0,
    FILE_BALL,
    FILE_CUBE,
    FILE_FONT,
};

struct ShowFile {
    const char *name;  // inside the data folder
    int kind;          // FILE_*
};

constexpr ShowFile show_models[] = {
    {"hiiri.dump", FILE_MOUSE},     {"jalkapallo2.dump", FILE_BALL}, {"rantapallo.dump", FILE_BALL},
    {"keilapallo.dump", FILE_BALL}, {"tennari.dump", FILE_BALL},     {"kube.dump", FILE_CUBE},
    {"fontti.dump", FILE_FONT},
};
constexpr const char *show_song = "hiiri.txt";

// The findings, printed as they are made.
struct Findings {
    int count = 0;
};

void report(Findings *f, const std::string &file, const std::string &reason)
{
    printf("%s: %s\n", file.c_str(), reason.c_str());
    f->count++;
}

std::string format(const char *pattern, double a, double b = 0.0)
{
    char text[160];
    snprintf(text, sizeof text, pattern, a, b);
    return text;
}

int face_count(const ModelObject *o)
{
    int n = 0;
    for (const ModelGroup *g = o->groups; g; g = g->next)
        for (const ModelFace *face = g->faces; face; face = face->next)
            n++;
    return n;
}

// The named object as a drawn mesh with faces: a finding otherwise.
const ModelObject *need_part(Findings *f, const std::string &file, Model *model, const char *name,
                             const char *role)
{
    ModelObject *o = model_find_object(model, name);
    if (!o)
        report(f, file, std::string("no object \"") + name + "\": " + role + " is not drawn");
    else if (o->kind != OBJECT_MESH || face_count(o) == 0)
        report(f, file,
               std::string("object \"") + name + "\" has no faces to draw: " + role +
                   " is not drawn");
    else
        return o;
    return nullptr;
}

void check_mouse(Findings *f, const std::string &file, Model *model)
{
    const ModelObject *body = need_part(f, file, model, "body", "the mouse's body");
    if (body) {
        bool coloured = false;
        for (const ModelGroup *g = body->groups; g; g = g->next)
            coloured = coloured || (g->material && strcmp(g->material->name, "ruumis") == 0);
        if (!coloured)
            report(f, file,
                   "no group of \"body\" has the material \"ruumis\": the mice all look alike");
    }
    static const char *const turning[2][2] = {{"key", "the wind-up key"}, {"tail", "the tail"}};
    for (const auto &part : turning) {
        const ModelObject *o = need_part(f, file, model, part[0], part[1]);
        if (!o)
            continue;
        const ModelObject *pivot = o->pivot;
        if (!pivot) {
            report(f, file,
                   std::string("no pivot object \"pivot_") + part[0] + "\": " + part[1] +
                       " does not turn");
            continue;
        }
        double length = std::sqrt((double)pivot->axis[0] * pivot->axis[0] +
                                  (double)pivot->axis[1] * pivot->axis[1] +
                                  (double)pivot->axis[2] * pivot->axis[2]);
        if (!(length > 1e-6))
            report(f, file,
                   std::string("pivot \"") + pivot->name + "\" has no axis (a triangle for the " +
                       "point and a polygon at the axis's far end): " + part[1] + " does not turn");
    }
}

// Largest distance of a vertex from the origin, and the bounding box's
// centre.
void extent(const Model *model, double *radius, double centre[3], double half[3])
{
    double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    *radius = 0.0;
    for (int i = 0; i < model->vertex_count; i++) {
        const float *v = model->vertices + 3 * i;
        double r = 0.0;
        for (int a = 0; a < 3; a++) {
            r += (double)v[a] * v[a];
            if (i == 0 || v[a] < low[a])
                low[a] = v[a];
            if (i == 0 || v[a] > high[a])
                high[a] = v[a];
        }
        *radius = std::fmax(*radius, std::sqrt(r));
    }
    for (int a = 0; a < 3; a++) {
        centre[a] = 0.5 * (low[a] + high[a]);
        half[a] = 0.5 * (high[a] - low[a]);
    }
}

void check_ball(Findings *f, const std::string &file, const Model *model)
{
    double radius, centre[3], half[3];
    extent(model, &radius, centre, half);
    if (std::fabs(radius - 1.0) > UNIT_TOLERANCE)
        report(f, file,
               format("the ball's radius is %.3g, not about 1: it sinks into the floor or "
                      "floats above it",
                      radius));
    double off = std::sqrt(centre[0] * centre[0] + centre[1] * centre[1] + centre[2] * centre[2]);
    if (off > UNIT_TOLERANCE)
        report(f, file,
               format("the ball's centre is %.3g from the origin: it wobbles as it rolls", off));
}

void check_cube(Findings *f, const std::string &file, const Model *model)
{
    double radius, centre[3], half[3];
    extent(model, &radius, centre, half);
    for (int a = 0; a < 3; a++)
        if (std::fabs(half[a] - 1.0) > UNIT_TOLERANCE || std::fabs(centre[a]) > UNIT_TOLERANCE) {
            report(f, file,
                   format("the cube does not span -1..1 on axis %.0f (centre %.3g): the "
                          "fence rails are misplaced",
                          a, centre[a]));
            return;
        }
}

// The characters the show writes with the font: its credits.
std::string show_characters()
{
    std::string chars;
    for (double t = 0.0; t < 60000.0; t += 100.0)
        if (const char *word = title_word(t))
            for (const char *c = word; *c; c++)
                if (*c != ' ' && chars.find(*c) == std::string::npos)
                    chars += *c;
    return chars;
}

void check_font(Findings *f, const std::string &file, Model *model)
{
    for (char c : show_characters()) {
        const char name[2] = {c, '\0'};
        ModelObject *glyph = model_find_object(model, name);
        if (!glyph || glyph->kind != OBJECT_MESH || face_count(glyph) == 0)
            report(f, file, std::string("no glyph object \"") + name + "\": the credits miss it");
    }
}

void check_model(Findings *f, const std::string &dir, const ShowFile &show_file)
{
    std::string file = dir + "/" + show_file.name;
    Model model{};
    if (model_load_dump(&model, file.c_str()) != 0) {
        report(f, file, model_last_error());
        return;
    }
    if (model_check_storable(&model) != 0) {
        report(f, file, model_last_error());
    } else {
        switch (show_file.kind) {
        case FILE_MOUSE:
            check_mouse(f, file, &model);
            break;
        case FILE_BALL:
            check_ball(f, file, &model);
            break;
        case FILE_CUBE:
            check_cube(f, file, &model);
            break;
        case FILE_FONT:
            check_font(f, file, &model);
            break;
        }
    }
    model_free(&model);
}

bool is_transposed(int voice)
{
    for (int v : transposed_voices)
        if (v == voice)
            return true;
    return false;
}

// The first note of the voice's patterns that a transposition of the show
// moves out of c1..b6, reported once a pattern.
void check_note_range(Findings *f, const std::string &file, int voice)
{
    const Voice &v = synth.voices[voice];
    std::vector<int> seen;
    for (int i = 0; i < SYNTH_LIST_LENGTH && v.track[i] >= 0; i++) {
        int p = v.track[i];
        bool again = false;
        for (int s : seen)
            again = again || s == p;
        if (again)
            continue;
        seen.push_back(p);
        const int32_t *pattern = synth.patterns[p];
        for (int k = 0; k < SYNTH_LIST_LENGTH && pattern[k] != LIST_END; k++) {
            int code = pattern[k];
            if (code == PATTERN_VOL || code == PATTERN_SLD) {
                k++;  // its parameter
                continue;
            }
            if (code < 0 || code >= SYNTH_NOTES)
                continue;
            int moved = 0;
            for (int t : show_transpositions)
                if (code + t < 0 || code + t >= SYNTH_NOTES)
                    moved = t;
            if (moved != 0) {
                report(f, file,
                       "voice " + std::to_string(voice) + " plays " + event_names[code] +
                           " in pattern " + std::to_string(p) + ", which leaves c1..b6 " +
                           "transposed by " + (moved > 0 ? "+" : "") + std::to_string(moved) +
                           " (the show plays it as " +
                           event_names[moved > 0 ? SYNTH_NOTES - 1 : 0] + ")");
                break;
            }
        }
    }
}

// The song's lines as the checker reads them, then what the director
// needs of the loaded song: tempo, voices 1..13 in a row, looping tracks
// in step with the arrangement rows, notes that survive the transpositions.
void check_song(Findings *f, const std::string &dir)
{
    std::string file = dir + "/" + show_song;
    std::string text;
    {
        std::unique_ptr<FILE, int (*)(FILE *)> in(fopen(file.c_str(), "rb"), fclose);
        if (!in) {
            report(f, file, std::string("cannot open: ") + strerror(errno));
            return;
        }
        char chunk[4096];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, in.get())) > 0)
            text.append(chunk, got);
        if (ferror(in.get())) {
            report(f, file, std::string("cannot read: ") + strerror(errno));
            return;
        }
    }
    for (const SongProblem &p : song_check(text)) {
        printf("%s:%d: %s\n", file.c_str(), p.line, p.reason.c_str());
        f->count++;
    }

    synth_init(44100);
    synth_load_song_text(text);
    if (synth.step_length > 0 && synth.step_length != synth_step_length_of(44100, SHOW_TEMPO))
        report(f, file,
               "the tempo is not " + std::to_string(SHOW_TEMPO) +
                   ": the title's credits are timed for 255 steps of tempo 125");
    for (int voice = 1; voice <= ARRANGED_VOICES; voice++) {
        if (!synth_voice_in_use(voice)) {
            report(f, file,
                   "no track t" + std::to_string(voice) + ": voices " + std::to_string(voice) +
                       " to " + std::to_string(ARRANGED_VOICES) +
                       " are not heard, and the arrangement rows miss them");
            break;
        }
        const Voice &v = synth.voices[voice];
        if (v.track_index == TRACK_FINISHED)
            continue;  // the checker has said why it plays nothing
        bool loops = false;
        for (int i = 0; i < SYNTH_LIST_LENGTH && v.track[i] != LIST_END; i++)
            loops = loops || v.track[i] == TRACK_LOOP;
        int steps = song_track_steps(voice);
        if (!loops)
            report(f, file,
                   "track t" + std::to_string(voice) + " does not loop: voice " +
                       std::to_string(voice) + " falls silent after " + std::to_string(steps) +
                       " steps");
        else if (steps > 0 && ROW_PERIOD % steps != 0 && steps % ROW_PERIOD != 0)
            report(f, file,
                   "track t" + std::to_string(voice) + " loops after " + std::to_string(steps) +
                       " steps, which drifts against the arrangement rows of 64");
        if (is_transposed(voice))
            check_note_range(f, file, voice);
    }
}

}  // namespace

int check_show_command(int argc, char **argv)
{
    if (argc != 1 || (argv[0][0] == '-' && argv[0][1] != '\0')) {
        fprintf(stderr, "tobuna-model: check-show takes one DIR (see tobuna-model --help)\n");
        return TOOL_USAGE;
    }
    std::string dir = argv[0];
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) {
        printf("%s: cannot open: %s\n", dir.c_str(), strerror(errno));
        return TOOL_BAD_INPUT;
    }
    if (!S_ISDIR(st.st_mode)) {
        printf("%s: not a folder\n", dir.c_str());
        return TOOL_BAD_INPUT;
    }
    Findings findings;
    for (const ShowFile &file : show_models)
        check_model(&findings, dir, file);
    check_song(&findings, dir);
    return findings.count == 0 ? TOOL_OK : TOOL_BAD_INPUT;
}
