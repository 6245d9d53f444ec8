// The Wavefront OBJ/MTL importer. It reads the subset the show's models are
// written in exactly, and what common exporters write sensibly: faces
// without normals (one face normal is added for each), negative (relative)
// indices, tabs and runs of blanks, faces or materials before any group or
// object (implicit ones are made), groups without a material (a default
// white one). Indices and numbers are checked where they are read, and a
// bad line fails the whole import with "FILE:LINE: reason".
#include "models/model_local.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Material values that an MTL entry does not give: OpenGL's own defaults.
constexpr float default_ambient = 0.2f;
constexpr float default_diffuse = 0.8f;
// The material of groups that name none.
constexpr const char *default_material_name = "default_white";

struct ObjParse {
    Model *model;
    const char *source;    // names the text in messages
    const char *obj_path;  // for material libraries beside it; may be none
    char *mtl_text;        // given material text, parsed on first use
    int mtl_given;         // every mtllib line is served by mtl_text
    int line;              // 1-based number of the line being read
    int file_vertices;     // "v" lines in the text
    int file_normals;      // "vn" lines in the text
    int vertices_read;
    int normals_read;
    ModelObject *object;  // current object
    ModelGroup *group;    // current group of the current object
    int group_implicit;   // the current group was made for a stray usemtl or f
};

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The next word of the rest of a line, or an empty view; a word that starts
// a comment ends the line.
std::string_view next_word(std::string_view &rest)
{
    size_t i = 0;
    while (i < rest.size() && is_blank(rest[i]))
        i++;
    size_t j = i;
    while (j < rest.size() && !is_blank(rest[j]))
        j++;
    std::string_view word = rest.substr(i, j - i);
    rest.remove_prefix(j);
    if (!word.empty() && word[0] == '#') {
        rest = {};
        return {};
    }
    return word;
}

int fail(ObjParse *parse, const char *format, std::string_view word = {})
{
    std::string reason(format);
    size_t at = reason.find("%s");
    if (at != std::string::npos)
        reason.replace(at, 2, std::string(word.substr(0, 60)));
    model_set_error("%s:%d: %s", parse->source, parse->line, reason.c_str());
    return -1;
}

// Reads a float word; false if it is not a number.
bool parse_float(std::string_view word, float *out)
{
    char buffer[64];
    if (word.empty() || word.size() >= sizeof buffer)
        return false;
    memcpy(buffer, word.data(), word.size());
    buffer[word.size()] = '\0';
    char *end;
    *out = strtof(buffer, &end);
    return end == buffer + word.size();
}

// Reads an integer word (no sign needed); false if it is not one.
bool parse_int(std::string_view word, long *out)
{
    char buffer[24];
    if (word.empty() || word.size() >= sizeof buffer)
        return false;
    memcpy(buffer, word.data(), word.size());
    buffer[word.size()] = '\0';
    char *end;
    errno = 0;
    *out = strtol(buffer, &end, 10);
    return end == buffer + word.size() && errno == 0;
}

// Reads count numbers from the rest of the line.
int read_floats(ObjParse *parse, std::string_view rest, float *out, int count,
                std::string_view keyword)
{
    for (int i = 0; i < count; i++) {
        std::string_view word = next_word(rest);
        if (word.empty())
            return fail(parse, "%s needs more numbers", keyword);
        if (!parse_float(word, &out[i]))
            return fail(parse, "\"%s\" is not a number", word);
    }
    return 0;
}

// Copies a name; -1 when there is none or it does not fit.
int copy_name(ObjParse *parse, std::string_view word, char *out, std::string_view keyword)
{
    if (word.empty())
        return fail(parse, "%s needs a name", keyword);
    if (word.size() >= MODEL_NAME_SIZE)
        return fail(parse, "%s name of 1000 bytes or more", keyword);
    memcpy(out, word.data(), word.size());
    out[word.size()] = '\0';
    return 0;
}

// Applies a function to every line of the text, cut in place at each
// carriage return and line feed; empty lines are passed over. Line numbers
// count a CR LF pair once.
template <typename LineFn>
int for_each_line(char *text, int *line_number, LineFn fn)
{
    char *p = text;
    *line_number = 1;
    while (*p) {
        char *start = p;
        while (*p && *p != '\r' && *p != '\n')
            p++;
        char *end = p;
        int breaks = 0;
        if (*p == '\r') {
            *p++ = '\0';
            breaks = 1;
            if (*p == '\n')
                *p++ = '\0';
        } else if (*p == '\n') {
            *p++ = '\0';
            breaks = 1;
        }
        if (end > start && fn(std::string_view(start, (size_t)(end - start))) != 0)
            return -1;
        *line_number += breaks;
    }
    return 0;
}

// Counts the "v" and "vn" lines without changing the text.
void count_pools(const char *text, int *vertices, int *normals)
{
    *vertices = *normals = 0;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        std::string_view keyword = next_word(line);
        if (keyword == "v")
            ++*vertices;
        else if (keyword == "vn")
            ++*normals;
    }
}

Material *new_material(Model *model, const char *name)
{
    Material *m = model_alloc<Material>();
    if (!m)
        return nullptr;
    m->next = model->materials;
    model->materials = m;
    snprintf(m->name, sizeof m->name, "%s", name);
    for (int i = 0; i < 3; i++) {
        m->ambient[i] = default_ambient;
        m->diffuse[i] = default_diffuse;
    }
    m->ambient[3] = m->diffuse[3] = m->specular[3] = 1.0f;
    m->dissolve = 1.0f;
    return m;
}

// The material of that name defined first (the last in the list), or none.
Material *find_material(Model *model, const char *name)
{
    Material *found = nullptr;
    for (Material *m = model->materials; m; m = m->next)
        if (strcmp(m->name, name) == 0)
            found = m;
    return found;
}

int parse_mtl_text(Model *model, char *text, const char *source)
{
    Material *current = nullptr;
    ObjParse messages{};
    messages.source = source;
    return for_each_line(text, &messages.line, [&](std::string_view rest) {
        std::string_view keyword = next_word(rest);
        if (keyword.empty())
            return 0;
        if (keyword == "newmtl") {
            char name[MODEL_NAME_SIZE];
            if (copy_name(&messages, next_word(rest), name, keyword) != 0)
                return -1;
            current = new_material(model, name);
            if (!current)
                return fail(&messages, "no memory for a material");
            return 0;
        }
        if (!current)  // nowhere to go before the first material
            return 0;
        float *colour = keyword == "Kd"   ? current->diffuse
                        : keyword == "Ks" ? current->specular
                        : keyword == "Ka" ? current->ambient
                                          : nullptr;
        if (colour) {
            // "Kd r" alone means a grey of r.
            std::string_view first = next_word(rest);
            float rgb[3];
            if (!parse_float(first, &rgb[0]))
                return fail(&messages,
                            first.empty() ? "%s needs three numbers" : "\"%s\" is not a number",
                            first.empty() ? keyword : first);
            std::string_view second = rest;
            if (next_word(second).empty()) {
                rgb[1] = rgb[2] = rgb[0];
            } else if (read_floats(&messages, rest, rgb + 1, 2, keyword) != 0) {
                return -1;
            }
            memcpy(colour, rgb, sizeof rgb);
        } else if (keyword == "Ns") {
            return read_floats(&messages, rest, &current->shininess, 1, keyword);
        } else if (keyword == "d") {
            return read_floats(&messages, rest, &current->dissolve, 1, keyword);
        }
        return 0;
    });
}

// Refuses a file's text that holds a NUL byte, where the parser would stop
// short: "SOURCE:LINE: NUL byte at offset N", LINE the NUL's line.
int refuse_nul(const char *text, size_t length, const char *source)
{
    const char *nul = static_cast<const char *>(memchr(text, '\0', length));
    if (!nul)
        return 0;
    int line = 1;
    for (const char *p = text; p < nul; p++)
        line += *p == '\n' || (*p == '\r' && p[1] != '\n');
    model_set_error("%s:%d: NUL byte at offset %zu", source, line, (size_t)(nul - text));
    return -1;
}

int load_material_library(ObjParse *parse, std::string_view name)
{
    std::string path(name);
    size_t length;
    char *text = model_read_file(path.c_str(), &length);
    if (!text && parse->obj_path && path[0] != '/') {
        // Exporters name the library relative to the OBJ file.
        std::string beside(parse->obj_path);
        size_t slash = beside.rfind('/');
        if (slash != std::string::npos) {
            path = beside.substr(0, slash + 1) + path;
            text = model_read_file(path.c_str(), &length);
        }
    }
    if (!text)
        return fail(parse, "cannot open material library \"%s\"", name);
    if (refuse_nul(text, length, path.c_str()) != 0) {
        free(text);
        return -1;
    }
    int line = parse->line;
    int result = parse_mtl_text(parse->model, text, path.c_str());
    parse->line = line;
    free(text);
    return result;
}

int mtllib_line(ObjParse *parse, std::string_view rest)
{
    if (parse->mtl_given) {
        // The given text serves every library line; its first parse cuts it
        // into lines, so later lines add nothing more.
        if (!parse->mtl_text)
            return 0;
        int result = parse_mtl_text(parse->model, parse->mtl_text, "MTL text");
        parse->mtl_text = nullptr;
        return result;
    }
    std::string_view name = next_word(rest);
    if (name.empty())
        return fail(parse, "mtllib needs a file name");
    for (; !name.empty(); name = next_word(rest))
        if (load_material_library(parse, name) != 0)
            return -1;
    return 0;
}

ModelObject *new_object(ObjParse *parse, const char *name)
{
    ModelObject *o = model_alloc<ModelObject>();
    if (!o)
        return nullptr;
    o->next = parse->model->objects;
    parse->model->objects = o;
    snprintf(o->name, sizeof o->name, "%s", name);
    o->kind = model_object_kind(o->name);
    if (o->kind == OBJECT_LIGHT)
        parse->model->has_lights = 1;
    parse->object = o;
    parse->group = nullptr;
    return o;
}

ModelGroup *new_group(ObjParse *parse, const char *name, int implicit)
{
    if (!parse->object && !new_object(parse, "default"))
        return nullptr;
    ModelGroup *g = model_alloc<ModelGroup>();
    if (!g)
        return nullptr;
    g->display_list = -1;
    g->next = parse->object->groups;
    parse->object->groups = g;
    snprintf(g->name, sizeof g->name, "%s", name);
    parse->group = g;
    parse->group_implicit = implicit;
    return g;
}

int usemtl_line(ObjParse *parse, std::string_view rest)
{
    char name[MODEL_NAME_SIZE];
    if (copy_name(parse, next_word(rest), name, "usemtl") != 0)
        return -1;
    Material *material = find_material(parse->model, name);
    if (!material)
        return fail(parse, "material \"%s\" is not in the material libraries",
                    std::string_view(name));
    // A material change inside a group made for stray faces starts another.
    if (!parse->group ||
        (parse->group_implicit && parse->group->faces && parse->group->material != material)) {
        if (!new_group(parse, name, 1))
            return fail(parse, "no memory for a group");
    }
    parse->group->material = material;
    return 0;
}

// One corner "v", "v/t", "v//n" or "v/t/n": the vertex index, and the
// normal index or -1 when the corner names none.
int parse_corner(ObjParse *parse, std::string_view corner, int *vertex, int *normal)
{
    size_t first = corner.find('/');
    size_t last = corner.rfind('/');
    long v;
    if (!parse_int(corner.substr(0, first), &v) || v == 0)
        return fail(parse, "bad face corner \"%s\"", corner);
    v = v < 0 ? parse->vertices_read + v : v - 1;
    if (v < 0 || v >= parse->file_vertices)
        return fail(parse, "vertex index in \"%s\" is outside the vertices", corner);
    *vertex = (int)v;
    *normal = -1;
    if (first != std::string_view::npos && last != first && last + 1 < corner.size()) {
        long n;
        if (!parse_int(corner.substr(last + 1), &n) || n == 0)
            return fail(parse, "bad face corner \"%s\"", corner);
        n = n < 0 ? parse->normals_read + n : n - 1;
        if (n < 0 || n >= parse->file_normals)
            return fail(parse, "normal index in \"%s\" is outside the normals", corner);
        *normal = (int)n;
    }
    return 0;
}

int face_line(ObjParse *parse, std::string_view rest)
{
    int vertices[DUMP_MAX_CORNERS], normals[DUMP_MAX_CORNERS];
    int n = 0;
    for (std::string_view corner = next_word(rest); !corner.empty(); corner = next_word(rest)) {
        if (n == DUMP_MAX_CORNERS)
            return fail(parse, "face of more than 255 corners");
        if (parse_corner(parse, corner, &vertices[n], &normals[n]) != 0)
            return -1;
        n++;
    }
    if (n == 0)
        return fail(parse, "face without corners");
    if (!parse->group && !new_group(parse, parse->object ? parse->object->name : "default", 1))
        return fail(parse, "no memory for a group");

    ModelFace *f = model_alloc<ModelFace>();
    if (!f)
        return fail(parse, "no memory for a face");
    f->next = parse->group->faces;
    parse->group->faces = f;
    f->vertex_indices = static_cast<int *>(malloc(sizeof(int) * (size_t)n));
    f->normal_indices = static_cast<int *>(malloc(sizeof(int) * (size_t)n));
    if (!f->vertex_indices || !f->normal_indices)
        return fail(parse, "no memory for a face");
    memcpy(f->vertex_indices, vertices, sizeof(int) * (size_t)n);
    memcpy(f->normal_indices, normals, sizeof(int) * (size_t)n);
    f->corner_count = n;
    return 0;
}

int obj_line(ObjParse *parse, std::string_view rest)
{
    Model *model = parse->model;
    std::string_view keyword = next_word(rest);
    if (keyword.empty())
        return 0;
    if (keyword == "v") {
        if (read_floats(parse, rest, model->vertices + 3 * parse->vertices_read, 3, keyword) != 0)
            return -1;
        parse->vertices_read++;
    } else if (keyword == "vn") {
        if (read_floats(parse, rest, model->normals + 3 * parse->normals_read, 3, keyword) != 0)
            return -1;
        parse->normals_read++;
    } else if (keyword == "f") {
        return face_line(parse, rest);
    } else if (keyword == "usemtl") {
        return usemtl_line(parse, rest);
    } else if (keyword == "g") {
        // A bare "g" is the default group, as some exporters write it.
        std::string_view word = next_word(rest);
        char name[MODEL_NAME_SIZE] = "default";
        if (!word.empty() && copy_name(parse, word, name, keyword) != 0)
            return -1;
        if (!new_group(parse, name, 0))
            return fail(parse, "no memory for a group");
    } else if (keyword == "o") {
        char name[MODEL_NAME_SIZE];
        if (copy_name(parse, next_word(rest), name, keyword) != 0)
            return -1;
        if (!new_object(parse, name))
            return fail(parse, "no memory for an object");
    } else if (keyword == "mtllib") {
        return mtllib_line(parse, rest);
    }
    return 0;
}

// Whether a face has a corner without a normal.
bool lacks_normal(const ModelFace *f)
{
    for (int i = 0; i < f->corner_count; i++)
        if (f->normal_indices[i] < 0)
            return true;
    return false;
}

// Adds one normal per face that has corners without one: the face's unit
// normal by Newell's method (counter-clockwise seen from the front). The
// pool grows once, by the count of such faces.
int add_face_normals(Model *model)
{
    size_t missing = 0;
    for (ModelObject *o = model->objects; o; o = o->next)
        for (ModelGroup *g = o->groups; g; g = g->next)
            for (ModelFace *f = g->faces; f; f = f->next)
                missing += lacks_normal(f);
    if (missing == 0)
        return 0;
    float *grown = static_cast<float *>(
        realloc(model->normals, sizeof(float) * 3 * ((size_t)model->normal_count + missing)));
    if (!grown) {
        model_set_error("no memory for face normals");
        return -1;
    }
    model->normals = grown;
    for (ModelObject *o = model->objects; o; o = o->next) {
        for (ModelGroup *g = o->groups; g; g = g->next) {
            for (ModelFace *f = g->faces; f; f = f->next) {
                if (!lacks_normal(f))
                    continue;
                double nx = 0, ny = 0, nz = 0;
                for (int i = 0; i < f->corner_count; i++) {
                    const float *a = model->vertices + 3 * f->vertex_indices[i];
                    const float *b =
                        model->vertices + 3 * f->vertex_indices[(i + 1) % f->corner_count];
                    nx += ((double)a[1] - b[1]) * ((double)a[2] + b[2]);
                    ny += ((double)a[2] - b[2]) * ((double)a[0] + b[0]);
                    nz += ((double)a[0] - b[0]) * ((double)a[1] + b[1]);
                }
                double length = std::sqrt(nx * nx + ny * ny + nz * nz);
                if (length > 0) {
                    nx /= length;
                    ny /= length;
                    nz /= length;
                } else {
                    nx = ny = 0;
                    nz = 1;
                }
                float *n = model->normals + 3 * model->normal_count;
                n[0] = (float)nx;
                n[1] = (float)ny;
                n[2] = (float)nz;
                for (int i = 0; i < f->corner_count; i++)
                    if (f->normal_indices[i] < 0)
                        f->normal_indices[i] = model->normal_count;
                model->normal_count++;
            }
        }
    }
    return 0;
}

// Gives every group without a material the default white one.
int give_default_materials(Model *model)
{
    Material *white = nullptr;
    for (ModelObject *o = model->objects; o; o = o->next) {
        for (ModelGroup *g = o->groups; g; g = g->next) {
            if (g->material)
                continue;
            if (!white)
                white = find_material(model, default_material_name);
            if (!white) {
                white = new_material(model, default_material_name);
                if (!white) {
                    model_set_error("no memory for a material");
                    return -1;
                }
                for (int i = 0; i < 3; i++)
                    white->diffuse[i] = 1.0f;
            }
            g->material = white;
        }
    }
    return 0;
}

}  // namespace

int model_parse_mtl(Model *model, char *text)
{
    return parse_mtl_text(model, text, "MTL text");
}

int model_parse_obj(Model *model, char *text, char *mtl_text, const char *obj_path)
{
    ObjParse parse{};
    parse.model = model;
    parse.source = obj_path ? obj_path : "OBJ text";
    parse.obj_path = obj_path;
    parse.mtl_text = mtl_text;
    parse.mtl_given = mtl_text != nullptr;

    *model = Model{};
    count_pools(text, &parse.file_vertices, &parse.file_normals);
    model->vertex_count = parse.file_vertices;
    model->normal_count = parse.file_normals;
    model->vertices =
        static_cast<float *>(calloc((size_t)parse.file_vertices * 3 + 1, sizeof(float)));
    model->normals =
        static_cast<float *>(calloc((size_t)parse.file_normals * 3 + 1, sizeof(float)));
    if (!model->vertices || !model->normals) {
        model_set_error("%s: no memory for the pools", parse.source);
        return model_fail(model);
    }

    if (for_each_line(text, &parse.line,
                      [&](std::string_view line) { return obj_line(&parse, line); }) != 0)
        return model_fail(model);
    if (add_face_normals(model) != 0 || give_default_materials(model) != 0)
        return model_fail(model);
    model_link_pivots(model);
    model_clear_error();
    return 0;
}

int model_load_obj(Model *model, const char *path)
{
    size_t length;
    char *text = model_read_file(path, &length);
    if (!text) {
        std::string reason = model_last_error();
        model_set_error("%s: %s", path, reason.c_str());
        return -1;
    }
    if (refuse_nul(text, length, path) != 0) {
        free(text);
        return -1;
    }
    int result = model_parse_obj(model, text, nullptr, path);
    free(text);
    return result;
}
