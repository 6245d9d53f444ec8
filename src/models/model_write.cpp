// The dump file writer, and the check that a model can be stored whole.
#include "models/model_local.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <initializer_list>

void dump_write_uint(FILE *file, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        fputc((int)((value >> (8 * i)) & 0xFF), file);
}

void dump_write_float(FILE *file, float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    dump_write_uint(file, bits, 4);
}

static void write_name(FILE *file, const char *name)
{
    fwrite(name, 1, strlen(name) + 1, file);
}

// Largest magnitude over the vertex pool, then the normal pool.
static float largest_magnitude(const Model *model)
{
    float m = 0.0f;
    for (int i = 0; i < 3 * model->vertex_count; i++)
        if (fabsf(model->vertices[i]) > m)
            m = fabsf(model->vertices[i]);
    for (int i = 0; i < 3 * model->normal_count; i++)
        if (fabsf(model->normals[i]) > m)
            m = fabsf(model->normals[i]);
    return m;
}

static int check_pool(const float *pool, int count, const char *what)
{
    for (int i = 0; i < 3 * count; i++) {
        if (!std::isfinite(pool[i])) {
            model_set_error("%s %d has a coordinate that is not a finite number", what, i / 3 + 1);
            return -1;
        }
        if (fabsf(pool[i]) > (float)DUMP_MAX_MAGNITUDE) {
            model_set_error("%s %d has a coordinate of magnitude above %d", what, i / 3 + 1,
                            DUMP_MAX_MAGNITUDE);
            return -1;
        }
    }
    return 0;
}

static int check_group(const Model *model, const ModelObject *o, const ModelGroup *g)
{
    if (!g->material) {
        model_set_error("group \"%s\" of object \"%s\" has no material", g->name, o->name);
        return -1;
    }
    long faces = 0;
    for (const ModelFace *f = g->faces; f; f = f->next) {
        faces++;
        if (f->corner_count > DUMP_MAX_CORNERS || f->corner_count < 0) {
            model_set_error("group \"%s\" has a face of %d corners (at most %d)", g->name,
                            f->corner_count, DUMP_MAX_CORNERS);
            return -1;
        }
        for (int i = 0; i < f->corner_count; i++) {
            int v = f->vertex_indices[i], n = f->normal_indices[i];
            if (v < 0 || v >= model->vertex_count || v > DUMP_MAX_INDEX) {
                model_set_error("group \"%s\" has vertex index %d outside the %d vertices", g->name,
                                v, model->vertex_count);
                return -1;
            }
            if (n < 0 || n >= model->normal_count || n > DUMP_MAX_INDEX) {
                model_set_error("group \"%s\" has normal index %d outside the %d normals", g->name,
                                n, model->normal_count);
                return -1;
            }
        }
    }
    if (faces > DUMP_MAX_FACES) {
        model_set_error("group \"%s\" has %ld faces (at most %d)", g->name, faces, DUMP_MAX_FACES);
        return -1;
    }
    return 0;
}

// A light takes its direction from corner 0 of the head face of its head
// group. Reading a written model reverses every list, so that must hold at
// both ends of the lists.
static bool light_has_direction(const ModelObject *light)
{
    const ModelGroup *first = light->groups, *last = first;
    if (!first)
        return false;
    while (last->next)
        last = last->next;
    for (const ModelGroup *g : {first, last}) {
        const ModelFace *head = g->faces, *tail = head;
        if (!head)
            return false;
        while (tail->next)
            tail = tail->next;
        if (head->corner_count < 1 || tail->corner_count < 1)
            return false;
    }
    return true;
}

// Every value of a material must be a finite number, as the coordinates
// must: the show would draw with NaN or infinity as given.
static int check_material(const Material *m)
{
    struct Value {
        const char *what;
        const float *values;
        int count;
    };
    const Value values[] = {{"ambient colour (Ka)", m->ambient, 4},
                            {"diffuse colour (Kd)", m->diffuse, 4},
                            {"specular colour (Ks)", m->specular, 4},
                            {"dissolve (d)", &m->dissolve, 1},
                            {"shininess (Ns)", &m->shininess, 1}};
    for (const Value &v : values) {
        for (int i = 0; i < v.count; i++) {
            if (!std::isfinite(v.values[i])) {
                model_set_error("material \"%s\" has a value that is not a finite number in its %s",
                                m->name, v.what);
                return -1;
            }
        }
    }
    return 0;
}

int model_check_storable(const Model *model)
{
    if (check_pool(model->vertices, model->vertex_count, "vertex") != 0 ||
        check_pool(model->normals, model->normal_count, "normal") != 0)
        return -1;
    for (const Material *m = model->materials; m; m = m->next)
        if (check_material(m) != 0)
            return -1;
    for (const ModelObject *o = model->objects; o; o = o->next) {
        for (const ModelGroup *g = o->groups; g; g = g->next)
            if (check_group(model, o, g) != 0)
                return -1;
        if (o->kind == OBJECT_PIVOT && !o->groups) {
            model_set_error("pivot object \"%s\" has no group", o->name);
            return -1;
        }
        if (o->kind == OBJECT_LIGHT && !light_has_direction(o)) {
            model_set_error("light object \"%s\" has no face to take its direction from", o->name);
            return -1;
        }
    }
    model_clear_error();
    return 0;
}

static void write_pool(FILE *file, const float *pool, int count, float scale)
{
    dump_write_uint(file, (uint32_t)count, 4);
    for (int i = 0; i < 3 * count; i++)
        dump_write_uint(file, (uint32_t)(int)(pool[i] * scale), 2);  // toward zero
}

void model_write_dump(const Model *model, FILE *file)
{
    double m = (double)largest_magnitude(model);
    int scale = (int)(32767.0 / (m + 1.0));
    dump_write_uint(file, (uint32_t)scale, 2);
    write_pool(file, model->vertices, model->vertex_count, (float)scale);
    write_pool(file, model->normals, model->normal_count, (float)scale);

    for (const Material *mat = model->materials; mat; mat = mat->next) {
        fputc('m', file);
        write_name(file, mat->name);
        for (const float *colour : {mat->ambient, mat->diffuse, mat->specular})
            for (int i = 0; i < 3; i++)
                dump_write_float(file, colour[i]);
        dump_write_float(file, mat->dissolve);
        dump_write_float(file, mat->shininess);
    }
    for (const ModelObject *o = model->objects; o; o = o->next) {
        fputc('o', file);
        write_name(file, o->name);
        for (const ModelGroup *g = o->groups; g; g = g->next) {
            fputc('g', file);
            write_name(file, g->name);
            write_name(file, g->material->name);
            uint32_t faces = 0;
            for (const ModelFace *f = g->faces; f; f = f->next)
                faces++;
            dump_write_uint(file, faces, 2);
            for (const ModelFace *f = g->faces; f; f = f->next) {
                dump_write_uint(file, (uint32_t)f->corner_count, 1);
                for (int i = 0; i < f->corner_count; i++)
                    dump_write_uint(file, (uint32_t)f->vertex_indices[i], 2);
                for (int i = 0; i < f->corner_count; i++)
                    dump_write_uint(file, (uint32_t)f->normal_indices[i], 2);
            }
        }
    }
    fputc('q', file);
}

int model_save_dump(const Model *model, const char *path)
{
    if (!model) {
        model_set_error("no model");
        return -1;
    }
    if (model_check_storable(model) != 0)
        return -1;
    FILE *file = fopen(path, "wb");
    if (!file) {
        model_set_error("cannot open for writing: %s", strerror(errno));
        return -1;
    }
    model_write_dump(model, file);
    // A file that did not reach the disk is no success.
    int status = ferror(file) ? -1 : 0;
    if (fclose(file) != 0)
        status = -1;
    if (status != 0)
        model_set_error("write failed");
    else
        model_clear_error();
    return status;
}
