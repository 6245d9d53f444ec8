// Models, text and the title scene.
//
// A Model is two shared pools (vertex positions and normals) and two lists:
// named objects made of polygon groups, and named materials. Every list is
// built by pushing at the head, so it runs in the reverse of the order in
// which its elements were read. The show reads models from dump files, its
// own little-endian binary format; the tool path imports Wavefront OBJ/MTL
// text and writes dump files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Names are copied into fixed arrays: at most 999 bytes and a NUL.
constexpr size_t MODEL_NAME_SIZE = 1000;

// Object kinds, decided from the object's name when it is read.
enum {
    OBJECT_MESH = 1,   // any other name: drawn
    OBJECT_PIVOT = 2,  // "pivot_...": never drawn, defines a turning centre and axis
    OBJECT_LIGHT = 3,  // "point...": places an OpenGL light
};

// Draw modes.
enum {
    DRAW_SOLID = 0,     // lit filled polygons, back faces culled, no model lights
    DRAW_OUTLINED = 1,  // unlit flat diffuse colours in a black back-face outline
    DRAW_WIRE = 2,      // lit line loops, no culling
};

// The format's limits.
constexpr int DUMP_MAX_FACES = 65535;      // faces in one group
constexpr int DUMP_MAX_CORNERS = 255;      // corners in one face
constexpr int DUMP_MAX_INDEX = 65535;      // vertex or normal index
constexpr int DUMP_MAX_MAGNITUDE = 32766;  // largest coordinate magnitude

struct Material {
    float ambient[4];  // red, green, blue, alpha
    float diffuse[4];
    float specular[4];
    float dissolve;   // the Wavefront "d"; kept, never drawn with
    float shininess;  // specular exponent
    char name[MODEL_NAME_SIZE];
    Material *next;
};

struct ModelFace {
    int corner_count;     // n
    int *vertex_indices;  // n 0-based indices into the vertex pool
    int *normal_indices;  // n 0-based indices into the normal pool
    ModelFace *next;
};

struct ModelGroup {
    ModelFace *faces;
    Material *material;  // drawn with; points into the same model
    int display_list;    // OpenGL list of the outlined draw, -1 until built
    char name[MODEL_NAME_SIZE];
    ModelGroup *next;
};

struct ModelObject {
    int kind;  // OBJECT_*
    ModelGroup *groups;
    char name[MODEL_NAME_SIZE];
    ModelObject *next;
    ModelObject *pivot;    // the pivot object this one turns about, or none
    float angle;           // degrees about the pivot's axis; 0 after loading
    float axis[3];         // of a pivot: axis direction, not normalised
    float pivot_point[3];  // of a pivot: a point of the axis
};

// An all-zero Model is a valid empty model.
struct Model {
    float *vertices;  // 3 floats (x, y, z) per vertex
    float *normals;   // 3 floats per normal
    int vertex_count;
    int normal_count;
    int has_lights;  // 1 when an object is an OBJECT_LIGHT
    ModelObject *objects;
    Material *materials;
};

// A checked read position in a dump image: a read past the end returns 0
// and sets failed, and every later read fails too.
struct DumpCursor {
    const uint8_t *p;
    const uint8_t *end;
    int failed;
};

// The eight model slots, empty until loaded.
extern Model mouse_model;
extern Model football_model;
extern Model bowling_ball_model;
extern Model beach_ball_model;
extern Model tennis_ball_model;
extern Model cube_model;
extern Model title_ball_model;
extern Model font_model;

// Why the last load, parse or save of a model failed ("byte 42: ..." for a
// dump image, "FILE:LINE: ..." for OBJ text); empty after success.
const char *model_last_error();

// Reads a dump file into the model: 0, or -1 (the reason in
// model_last_error) with the model empty. A file that cannot be opened
// leaves the model untouched.
int model_load_dump(Model *model, const char *path);
// Builds the model from a dump image of length bytes: 0, or -1 with the
// model released and left empty. Never reads outside the image.
int model_parse_dump(Model *model, const uint8_t *image, size_t length);
// A little-endian unsigned integer of 2 or 4 bytes (1 is allowed too).
uint32_t dump_read_uint(DumpCursor *cursor, int bytes);
// Four bytes taken as the bits of an IEEE single.
float dump_read_float(DumpCursor *cursor);

// The kind that an object of this name has.
int model_object_kind(const char *name);
// Sets a pivot object's pivot_point and axis from its marker mesh.
void model_compute_pivot(Model *model, ModelObject *pivot);
// Computes every pivot and links each object to the pivot that names it.
void model_link_pivots(Model *model);
// The first object of the list with exactly this name, or none.
ModelObject *model_find_object(Model *model, const char *name);
// Releases everything the model owns (no model: nothing). Fields are not
// cleared.
void model_free(Model *model);

// Reads an OBJ file and the material libraries it names: 0, or -1 (the
// reason in model_last_error) with the model empty. A NUL byte in any of
// the files is an error that names its line and byte offset.
int model_load_obj(Model *model, const char *path);
// Builds the model from NUL-terminated OBJ text, which is cut into lines in
// place. mtl_text, when given, serves every "mtllib" line; otherwise each
// library is opened by name from the working directory, then beside
// obj_path. obj_path (may be none) also names the text in messages.
int model_parse_obj(Model *model, char *text, char *mtl_text, const char *obj_path);
// Adds the materials of NUL-terminated MTL text (cut in place) to the model.
int model_parse_mtl(Model *model, char *text);

// Whether the model can be stored as a dump file and read back whole: the
// format's limits, finite coordinates and material values, indices within
// the pools, a material for every group, a group for every pivot, a face
// for every light.
// 0, or -1 with the reason in model_last_error.
int model_check_storable(const Model *model);
// Writes the model as a dump file: 0, or -1 when no model is given, it is
// not storable (nothing is written) or the file cannot be opened.
int model_save_dump(const Model *model, const char *path);
// Writes a storable model (model_check_storable) to an open file.
void model_write_dump(const Model *model, FILE *file);
// Writes the low bytes of value, least significant first.
void dump_write_uint(FILE *file, uint32_t value, int bytes);
// Writes the bits of an IEEE single as 4 bytes.
void dump_write_float(FILE *file, float value);

// Draws the whole model under the current modelview matrix: its lights
// first (not in DRAW_SOLID), then every other object. The caller enables
// depth testing, and lighting for the lit modes.
void model_draw(Model *model, int mode);
// Draws one object turned about its pivot, or places its light.
void model_draw_object(Model *model, ModelObject *object, int mode);
// Draws mouse_model outlined with that body colour ("ruumis"), the key
// turned by angle degrees and the tail by -1.5 times it.
void draw_mouse(float r, float g, float b, double angle);
// Draws the ball model of a kind 0..3 outlined; other kinds draw nothing.
void draw_ball(int kind);
// Draws cube_model outlined.
void draw_cube();

// Draws the glyph of a character at the current origin; a space, or a
// character the font lacks, draws nothing.
void draw_glyph(int c);
// Draws a string along +x, 1.1 units a character, centred on the origin
// when centre is non-zero.
void draw_text(const char *text, int centre);

// Bits of show_flags that choose the title's variations.
enum {
    TITLE_BALL_MODE_BITS = 0x03,       // 0 wire, 1 solid, 2 and 3 outlined balls
    TITLE_BALLS_LEFTWARD = 0x04,       // the balls travel toward -x
    TITLE_BALL_KIND_BITS = 0x18,       // 0: the football, else the beach ball
    TITLE_MICE_BLUE = 0x20,            // blue mice instead of orange
    TITLE_MICE_RIGHTWARD_BITS = 0xC0,  // non-zero: the mice walk toward +x
};

// Loads the six scene models; the result is that of the mouse model:
// 0, or -1 when it cannot be loaded.
int load_models();
// Loads the title ball chosen by show_flags, and the font.
void load_title_assets(int show_flags);
// Loads font_model from the path; the result of model_load_dump.
int load_font(const char *path);
// Releases every model slot and leaves it empty, for another start-up or
// the end of a run; the display lists go with the OpenGL context.
void unload_models();

// Clears the frame and draws the title scene at x milliseconds since the
// frame loop began, with the variations the flags (show_flags) choose.
void draw_title_scene(double x, int flags);
