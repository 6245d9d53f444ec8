// The model descriptions of "tobuna-model info", for people and for scripts.
#include "model_tool.h"

#include <cfloat>

namespace {

struct Summary {
    int faces;
    float low[3], high[3];  // bounding box of the vertex pool
};

int count_faces(const ModelGroup *g)
{
    int n = 0;
    for (const ModelFace *f = g->faces; f; f = f->next)
        n++;
    return n;
}

int count_object_faces(const ModelObject *o)
{
    int n = 0;
    for (const ModelGroup *g = o->groups; g; g = g->next)
        n += count_faces(g);
    return n;
}

Summary summarise(const Model *model)
{
    Summary s{};
    for (const ModelObject *o = model->objects; o; o = o->next)
        s.faces += count_object_faces(o);
    for (int axis = 0; axis < 3; axis++) {
        s.low[axis] = model->vertex_count ? FLT_MAX : 0.0f;
        s.high[axis] = model->vertex_count ? -FLT_MAX : 0.0f;
    }
    for (int i = 0; i < model->vertex_count; i++) {
        for (int axis = 0; axis < 3; axis++) {
            float v = model->vertices[3 * i + axis];
            if (v < s.low[axis])
                s.low[axis] = v;
            if (v > s.high[axis])
                s.high[axis] = v;
        }
    }
    return s;
}

const char *kind_name(int kind)
{
    return kind == OBJECT_PIVOT ? "pivot" : kind == OBJECT_LIGHT ? "light" : "mesh";
}

// A JSON string: quotes, backslashes and control bytes escaped.
void put_json_string(FILE *out, const char *text)
{
    fputc('"', out);
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        if (*p == '"' || *p == '\\')
            fprintf(out, "\\%c", *p);
        else if (*p < 0x20)
            fprintf(out, "\\u%04x", *p);
        else
            fputc(*p, out);
    }
    fputc('"', out);
}

void put_json_floats(FILE *out, const float *v, int n)
{
    fputc('[', out);
    for (int i = 0; i < n; i++)
        fprintf(out, "%s%.9g", i ? ", " : "", (double)v[i]);
    fputc(']', out);
}

}  // namespace

void print_model_info(FILE *out, const char *path, Model *model)
{
    Summary s = summarise(model);
    fprintf(out, "%s\n", path);
    fprintf(out, "  %d vertices, %d normals, %d faces%s\n", model->vertex_count,
            model->normal_count, s.faces, model->has_lights ? ", has lights" : "");
    fprintf(out, "  bounds (%g, %g, %g) to (%g, %g, %g)\n", (double)s.low[0], (double)s.low[1],
            (double)s.low[2], (double)s.high[0], (double)s.high[1], (double)s.high[2]);
    fprintf(out, "objects, in list order:\n");
    for (const ModelObject *o = model->objects; o; o = o->next) {
        fprintf(out, "  %s: %s, %d faces", o->name, kind_name(o->kind), count_object_faces(o));
        if (o->pivot)
            fprintf(out, ", turns about %s", o->pivot->name);
        fputc('\n', out);
        if (o->kind == OBJECT_PIVOT)
            fprintf(out, "    point (%g, %g, %g), axis (%g, %g, %g)\n", (double)o->pivot_point[0],
                    (double)o->pivot_point[1], (double)o->pivot_point[2], (double)o->axis[0],
                    (double)o->axis[1], (double)o->axis[2]);
        for (const ModelGroup *g = o->groups; g; g = g->next)
            fprintf(out, "    group %s: material %s, %d faces\n", g->name,
                    g->material ? g->material->name : "(none)", count_faces(g));
    }
    fprintf(out, "materials, in list order:\n");
    for (const Material *m = model->materials; m; m = m->next) {
        fprintf(out,
                "  %s: ambient (%g, %g, %g), diffuse (%g, %g, %g), specular (%g, %g, %g),"
                " shininess %g, dissolve %g\n",
                m->name, (double)m->ambient[0], (double)m->ambient[1], (double)m->ambient[2],
                (double)m->diffuse[0], (double)m->diffuse[1], (double)m->diffuse[2],
                (double)m->specular[0], (double)m->specular[1], (double)m->specular[2],
                (double)m->shininess, (double)m->dissolve);
    }
}

void print_model_info_json(FILE *out, const char *path, Model *model)
{
    Summary s = summarise(model);
    fprintf(out, "{\"file\": ");
    put_json_string(out, path);
    fprintf(out, ", \"vertices\": %d, \"normals\": %d, \"faces\": %d, \"has_lights\": %s",
            model->vertex_count, model->normal_count, s.faces,
            model->has_lights ? "true" : "false");
    fprintf(out, ", \"bounds\": {\"min\": ");
    put_json_floats(out, s.low, 3);
    fprintf(out, ", \"max\": ");
    put_json_floats(out, s.high, 3);
    fprintf(out, "}, \"objects\": [");
    for (const ModelObject *o = model->objects; o; o = o->next) {
        fprintf(out, "%s{\"name\": ", o == model->objects ? "" : ", ");
        put_json_string(out, o->name);
        fprintf(out, ", \"kind\": \"%s\", \"faces\": %d, \"pivot\": ", kind_name(o->kind),
                count_object_faces(o));
        if (o->pivot)
            put_json_string(out, o->pivot->name);
        else
            fputs("null", out);
        if (o->kind == OBJECT_PIVOT) {
            fprintf(out, ", \"pivot_point\": ");
            put_json_floats(out, o->pivot_point, 3);
            fprintf(out, ", \"axis\": ");
            put_json_floats(out, o->axis, 3);
        }
        fprintf(out, ", \"groups\": [");
        for (const ModelGroup *g = o->groups; g; g = g->next) {
            fprintf(out, "%s{\"name\": ", g == o->groups ? "" : ", ");
            put_json_string(out, g->name);
            fprintf(out, ", \"material\": ");
            if (g->material)
                put_json_string(out, g->material->name);
            else
                fputs("null", out);
            fprintf(out, ", \"faces\": %d}", count_faces(g));
        }
        fprintf(out, "]}");
    }
    fprintf(out, "], \"materials\": [");
    for (const Material *m = model->materials; m; m = m->next) {
        fprintf(out, "%s{\"name\": ", m == model->materials ? "" : ", ");
        put_json_string(out, m->name);
        fprintf(out, ", \"ambient\": ");
        put_json_floats(out, m->ambient, 4);
        fprintf(out, ", \"diffuse\": ");
        put_json_floats(out, m->diffuse, 4);
        fprintf(out, ", \"specular\": ");
        put_json_floats(out, m->specular, 4);
        fprintf(out, ", \"shininess\": %.9g, \"dissolve\": %.9g}", (double)m->shininess,
                (double)m->dissolve);
    }
    fprintf(out, "]}\n");
}
