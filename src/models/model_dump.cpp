// The dump file reader. Every read goes through a checked cursor, and every
// count is checked against the bytes left before anything is allocated, so
// no image, however broken, is read outside its bounds.
#include "models/model_local.h"

#include <cstring>
#include <initializer_list>

uint32_t dump_read_uint(DumpCursor *cursor, int bytes)
{
    if (cursor->failed || cursor->end - cursor->p < bytes) {
        cursor->failed = 1;
        cursor->p = cursor->end;
        return 0;
    }
    uint32_t value = 0;
    for (int i = 0; i < bytes; i++)
        value |= (uint32_t)cursor->p[i] << (8 * i);
    cursor->p += bytes;
    return value;
}

float dump_read_float(DumpCursor *cursor)
{
    uint32_t bits = dump_read_uint(cursor, 4);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

namespace {

// The parse in progress: the cursor and where the image begins, for the
// byte offsets of the messages.
struct DumpParse {
    DumpCursor cursor;
    const uint8_t *start;
    Model *model;
};

long offset_of(const DumpParse *parse)
{
    return (long)(parse->cursor.p - parse->start);
}

int fail(DumpParse *parse, long offset, const char *reason)
{
    model_set_error("byte %ld: %s", offset, reason);
    return model_fail(parse->model);
}

size_t bytes_left(const DumpParse *parse)
{
    return (size_t)(parse->cursor.end - parse->cursor.p);
}

// Copies a NUL-terminated name and moves past its NUL: 0, or -1 with the
// reason set.
int read_name(DumpParse *parse, char *out, const char *what)
{
    long at = offset_of(parse);
    size_t left = bytes_left(parse);
    size_t limit = left < MODEL_NAME_SIZE ? left : MODEL_NAME_SIZE;
    const void *nul = memchr(parse->cursor.p, '\0', limit);
    if (!nul) {
        model_set_error(left < MODEL_NAME_SIZE ? "byte %ld: %s name cut short"
                                               : "byte %ld: %s name of 1000 bytes or more",
                        at, what);
        return -1;
    }
    size_t length = (size_t)((const uint8_t *)nul - parse->cursor.p);
    memcpy(out, parse->cursor.p, length + 1);
    parse->cursor.p += length + 1;
    return 0;
}

// A pool's element in messages, as one and as several.
struct PoolNoun {
    const char *one;
    const char *many;
};

// One pool: a count, then count (x, y, z) triples of signed 16-bit values,
// each divided by the scale in single precision.
int read_pool(DumpParse *parse, float scale, float **pool, int *count, PoolNoun noun)
{
    long at = offset_of(parse);
    uint32_t n = dump_read_uint(&parse->cursor, 4);
    if (parse->cursor.failed) {
        model_set_error("byte %ld: %s count cut short", at, noun.one);
        return -1;
    }
    const char *name = n == 1 ? noun.one : noun.many;
    if (n > bytes_left(parse) / 6) {
        model_set_error("byte %ld: %u %s %s not fit in the %zu bytes left", at, n, name,
                        n == 1 ? "does" : "do", bytes_left(parse));
        return -1;
    }
    *count = (int)n;
    if (n == 0)
        return 0;
    *pool = static_cast<float *>(malloc(sizeof(float) * 3 * n));
    if (!*pool) {
        *count = 0;
        model_set_error("byte %ld: no memory for %u %s", at, n, name);
        return -1;
    }
    for (uint32_t i = 0; i < 3 * n; i++) {
        int16_t q = (int16_t)(uint16_t)dump_read_uint(&parse->cursor, 2);
        (*pool)[i] = (float)q / scale;
    }
    return 0;
}

int read_material(DumpParse *parse)
{
    Material *m = model_alloc<Material>();
    if (!m)
        return fail(parse, offset_of(parse), "no memory for a material");
    m->next = parse->model->materials;
    parse->model->materials = m;
    if (read_name(parse, m->name, "material") != 0)
        return model_fail(parse->model);
    m->ambient[3] = m->diffuse[3] = m->specular[3] = 1.0f;
    long at = offset_of(parse);
    for (float *colour : {m->ambient, m->diffuse, m->specular})
        for (int i = 0; i < 3; i++)
            colour[i] = dump_read_float(&parse->cursor);
    m->dissolve = dump_read_float(&parse->cursor);
    m->shininess = dump_read_float(&parse->cursor);
    if (parse->cursor.failed)
        return fail(parse, at, "material values cut short");
    return 0;
}

int read_object(DumpParse *parse, ModelObject **current)
{
    ModelObject *o = model_alloc<ModelObject>();
    if (!o)
        return fail(parse, offset_of(parse), "no memory for an object");
    o->next = parse->model->objects;
    parse->model->objects = o;
    if (read_name(parse, o->name, "object") != 0)
        return model_fail(parse->model);
    o->kind = model_object_kind(o->name);
    if (o->kind == OBJECT_LIGHT)
        parse->model->has_lights = 1;
    *current = o;
    return 0;
}

int read_face(DumpParse *parse, ModelGroup *group)
{
    const Model *model = parse->model;
    long at = offset_of(parse);
    ModelFace *f = model_alloc<ModelFace>();
    if (!f)
        return fail(parse, at, "no memory for a face");
    f->next = group->faces;
    group->faces = f;
    int n = (int)dump_read_uint(&parse->cursor, 1);
    if (parse->cursor.failed || bytes_left(parse) < (size_t)n * 4)
        return fail(parse, at, "face cut short");
    f->vertex_indices = static_cast<int *>(malloc(sizeof(int) * (n ? n : 1)));
    f->normal_indices = static_cast<int *>(malloc(sizeof(int) * (n ? n : 1)));
    if (!f->vertex_indices || !f->normal_indices)
        return fail(parse, at, "no memory for a face");
    f->corner_count = n;
    for (int i = 0; i < n; i++) {
        f->vertex_indices[i] = (int)dump_read_uint(&parse->cursor, 2);
        if (f->vertex_indices[i] >= model->vertex_count) {
            model_set_error("byte %ld: vertex index %d beyond the %d vertices",
                            offset_of(parse) - 2, f->vertex_indices[i], model->vertex_count);
            return model_fail(parse->model);
        }
    }
    for (int i = 0; i < n; i++) {
        f->normal_indices[i] = (int)dump_read_uint(&parse->cursor, 2);
        if (f->normal_indices[i] >= model->normal_count) {
            model_set_error("byte %ld: normal index %d beyond the %d normals", offset_of(parse) - 2,
                            f->normal_indices[i], model->normal_count);
            return model_fail(parse->model);
        }
    }
    return 0;
}

int read_group(DumpParse *parse, ModelObject *current)
{
    long at = offset_of(parse) - 1;
    if (!current)
        return fail(parse, at, "group before any object");
    ModelGroup *g = model_alloc<ModelGroup>();
    if (!g)
        return fail(parse, at, "no memory for a group");
    g->display_list = -1;
    g->next = current->groups;
    current->groups = g;
    if (read_name(parse, g->name, "group") != 0)
        return model_fail(parse->model);

    char material_name[MODEL_NAME_SIZE];
    long material_at = offset_of(parse);
    if (read_name(parse, material_name, "material") != 0)
        return model_fail(parse->model);
    // Among several materials of one name the one read first (the last in
    // the list) wins.
    for (Material *m = parse->model->materials; m; m = m->next)
        if (strcmp(m->name, material_name) == 0)
            g->material = m;
    if (!g->material)
        return fail(parse, material_at, "group names a material not defined before it");

    long count_at = offset_of(parse);
    uint32_t faces = dump_read_uint(&parse->cursor, 2);
    if (parse->cursor.failed)
        return fail(parse, count_at, "face count cut short");
    if (faces > bytes_left(parse))  // every face takes at least its corner count byte
        return fail(parse, count_at, "faces do not fit in the bytes left");
    for (uint32_t i = 0; i < faces; i++)
        if (read_face(parse, g) != 0)
            return -1;
    return 0;
}

// What the renderer needs that the format itself does not ensure.
int check_objects(DumpParse *parse)
{
    for (ModelObject *o = parse->model->objects; o; o = o->next) {
        if (o->kind == OBJECT_PIVOT && !o->groups) {
            model_set_error("pivot object \"%s\" has no group", o->name);
            return model_fail(parse->model);
        }
        if (o->kind == OBJECT_LIGHT &&
            (!o->groups || !o->groups->faces || o->groups->faces->corner_count < 1)) {
            model_set_error("light object \"%s\" has no face to take its direction from", o->name);
            return model_fail(parse->model);
        }
    }
    return 0;
}

}  // namespace

int model_parse_dump(Model *model, const uint8_t *image, size_t length)
{
    *model = Model{};
    DumpParse parse = {{image, image + length, 0}, image, model};

    uint32_t scale_value = dump_read_uint(&parse.cursor, 2);
    if (parse.cursor.failed)
        return fail(&parse, 0, "header cut short");
    if (scale_value == 0)
        return fail(&parse, 0, "scale is 0");
    float scale = (float)scale_value;

    if (read_pool(&parse, scale, &model->vertices, &model->vertex_count, {"vertex", "vertices"}) !=
            0 ||
        read_pool(&parse, scale, &model->normals, &model->normal_count, {"normal", "normals"}) != 0)
        return model_fail(model);

    // Records until "q". Unknown bytes are skipped; a section that simply
    // ends after whole records ends the model there.
    ModelObject *current = nullptr;
    int status = 0;
    while (status == 0 && parse.cursor.p < parse.cursor.end) {
        uint8_t tag = *parse.cursor.p++;
        if (tag == 'q')
            break;
        if (tag == 'm')
            status = read_material(&parse);
        else if (tag == 'o')
            status = read_object(&parse, &current);
        else if (tag == 'g')
            status = read_group(&parse, current);
    }
    if (status != 0 || check_objects(&parse) != 0)
        return -1;

    model_link_pivots(model);
    model_clear_error();
    return 0;
}

int model_load_dump(Model *model, const char *path)
{
    size_t length = 0;
    char *image = model_read_file(path, &length);
    if (!image)
        return -1;  // the model is untouched
    int result = model_parse_dump(model, (const uint8_t *)image, length);
    free(image);
    return result;
}
