// Object kinds, pivots, lookup and release, shared by every loader.
#include "models/model_local.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static char last_error[512];  // reason of the last failed load or save

const char *model_last_error()
{
    return last_error;
}

void model_set_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(last_error, sizeof last_error, format, args);
    va_end(args);
}

void model_clear_error()
{
    last_error[0] = '\0';
}

char *model_read_file(const char *path, size_t *length)
{
    constexpr long largest = 256L << 20;
    // Opened without blocking, so that a FIFO is refused rather than waited on.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    FILE *file = fd < 0 ? nullptr : fdopen(fd, "rb");
    if (!file) {
        model_set_error("cannot open: %s", strerror(errno));
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    struct stat status;
    char *text = nullptr;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        model_set_error("not a regular file");
    } else if (status.st_size > largest) {
        model_set_error("file of over 256 MiB");
    } else {
        size_t n = (size_t)status.st_size;
        text = static_cast<char *>(malloc(n + 1));
        if (!text) {
            model_set_error("no memory for the file");
        } else if (fread(text, 1, n, file) != n) {
            model_set_error("cannot read");
            free(text);
            text = nullptr;
        } else {
            text[n] = '\0';
            *length = n;
        }
    }
    fclose(file);
    return text;
}

int model_fail(Model *model)
{
    model_free(model);
    *model = Model{};
    return -1;
}

int model_object_kind(const char *name)
{
    if (strncmp(name, "pivot_", 6) == 0)
        return OBJECT_PIVOT;
    if (strncmp(name, "point", 5) == 0)
        return OBJECT_LIGHT;
    return OBJECT_MESH;
}

static const float *vertex_at(const Model *model, int index)
{
    return model->vertices + 3 * index;
}

// The marker mesh of a pivot is a triangle, whose tip (the corner opposite
// its strictly shortest edge) is the pivot point, and a polygon of more
// corners, whose centre is the far end of the axis.
void model_compute_pivot(Model *model, ModelObject *pivot)
{
    float sum[3] = {0.0f, 0.0f, 0.0f};
    float tip[3] = {0.0f, 0.0f, 0.0f};
    int triangle_seen = 0;

    ModelGroup *group = pivot->groups;
    for (ModelFace *face = group ? group->faces : nullptr; face; face = face->next) {
        int n = face->corner_count;
        if (n > 3) {
            // The sums run on from face to face; with one polygon this is
            // its centroid.
            for (int i = 0; i < n; i++) {
                const float *v = vertex_at(model, face->vertex_indices[i]);
                sum[0] += v[0];
                sum[1] += v[1];
                sum[2] += v[2];
            }
            sum[0] /= (float)n;
            sum[1] /= (float)n;
            sum[2] /= (float)n;
        } else if (n == 3 && !triangle_seen) {
            triangle_seen = 1;
            const float *a = vertex_at(model, face->vertex_indices[0]);
            const float *b = vertex_at(model, face->vertex_indices[1]);
            const float *c = vertex_at(model, face->vertex_indices[2]);
            auto squared = [](const float *p, const float *q) {
                float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
                return dx * dx + dy * dy + dz * dz;
            };
            float l0 = squared(a, b), l1 = squared(b, c), l2 = squared(c, a);
            const float *t = a;
            if (l1 < l0 && l1 < l2)
                t = a;
            else if (l2 < l0 && l2 < l1)
                t = b;
            else if (l0 < l1 && l0 < l2)
                t = c;
            memcpy(tip, t, sizeof tip);
        }
    }
    for (int i = 0; i < 3; i++) {
        pivot->pivot_point[i] = tip[i];
        pivot->axis[i] = sum[i] - tip[i];
    }
}

void model_link_pivots(Model *model)
{
    char key[MODEL_NAME_SIZE + 1];  // "_" and an object's name
    for (ModelObject *p = model->objects; p; p = p->next) {
        if (p->kind != OBJECT_PIVOT)
            continue;
        model_compute_pivot(model, p);
        for (ModelObject *o = model->objects; o; o = o->next) {
            if (o->kind == OBJECT_PIVOT || o->pivot)
                continue;
            key[0] = '_';
            memcpy(key + 1, o->name, sizeof o->name);
            key[MODEL_NAME_SIZE] = '\0';
            if (strstr(p->name, key))
                o->pivot = p;
        }
    }
}

ModelObject *model_find_object(Model *model, const char *name)
{
    for (ModelObject *o = model->objects; o; o = o->next)
        if (strcmp(o->name, name) == 0)
            return o;
    return nullptr;
}

void model_free(Model *model)
{
    if (!model)
        return;
    for (Material *m = model->materials; m;) {
        Material *next = m->next;
        free(m);
        m = next;
    }
    for (ModelObject *o = model->objects; o;) {
        for (ModelGroup *g = o->groups; g;) {
            for (ModelFace *f = g->faces; f;) {
                ModelFace *next = f->next;
                free(f->vertex_indices);
                free(f->normal_indices);
                free(f);
                f = next;
            }
            ModelGroup *next = g->next;
            free(g);
            g = next;
        }
        ModelObject *next = o->next;
        free(o);
        o = next;
    }
    free(model->vertices);
    free(model->normals);
}
