// The outlined model renderer: flat diffuse colours inside a black outline
// made from the model's own back faces, and lit solid and wire modes.
//
// The OpenGL state a draw leaves behind is part of its interface: after an
// outlined draw lighting is off, back faces are culled and drawn as lines,
// both polygon offsets are off at 0, 0, the colour is the last group's
// diffuse and the line width is 1; after a solid draw culling is on, after a
// wire draw it is off.
#include "models/models.h"

#include <GL/gl.h>
#include <cstring>

static constexpr GLenum light_ids[8] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3,
                                        GL_LIGHT4, GL_LIGHT5, GL_LIGHT6, GL_LIGHT7};
static int next_light = 0;  // index into light_ids; restarts with each model draw

static Model *const ball_models[4] = {&beach_ball_model, &football_model, &tennis_ball_model,
                                      &bowling_ball_model};

static const float *vertex_at(const Model *model, int index)
{
    return model->vertices + 3 * index;
}

// One display list of the group's polygons as positions only, offset.
static void compile_group(const Model *model, ModelGroup *group, const float offset[3])
{
    group->display_list = (int)glGenLists(1);
    glNewList((GLuint)group->display_list, GL_COMPILE);
    for (const ModelFace *f = group->faces; f; f = f->next) {
        glBegin(GL_POLYGON);
        for (int i = 0; i < f->corner_count; i++) {
            const float *v = vertex_at(model, f->vertex_indices[i]);
            glVertex3f(v[0] - offset[0], v[1] - offset[1], v[2] - offset[2]);
        }
        glEnd();
    }
    glEndList();
}

// Places the light of a light object under the current matrix. A ninth
// light, or one without a material or a face to aim by, is not placed.
static void place_light(const Model *model, const ModelObject *light)
{
    const ModelGroup *group = light->groups;
    if (next_light >= 8 || !group || !group->material || !group->faces ||
        group->faces->corner_count < 1)
        return;
    GLenum id = light_ids[next_light++];
    glEnable(id);
    const Material *m = group->material;
    glLightfv(id, GL_AMBIENT, m->ambient);
    glLightfv(id, GL_SPECULAR, m->specular);
    glLightfv(id, GL_DIFFUSE, m->diffuse);
    const float *v = vertex_at(model, group->faces->vertex_indices[0]);
    const GLfloat direction[4] = {v[0], v[1], v[2], 0.0f};
    glLightfv(id, GL_POSITION, direction);
    glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightf(id, GL_SPOT_CUTOFF, 180.0f);
}

static void draw_outlined(const Model *model, const ModelObject *object, const float offset[3])
{
    // Outline: the back faces as thick black lines, pushed back a little, so
    // that they show only around the silhouette and at creases.
    glLineWidth(4.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glPolygonMode(GL_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(1.0f, 1.0f);
    for (ModelGroup *g = object->groups; g; g = g->next) {
        if (!g->material)
            continue;
        if (g->display_list == -1)
            compile_group(model, g, offset);  // compiled, not drawn: no outline this time
        else
            glCallList((GLuint)g->display_list);
    }

    // Fill: the front faces in the flat diffuse colour.
    glDisable(GL_POLYGON_OFFSET_LINE);
    glCullFace(GL_BACK);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 0.0f);
    for (const ModelGroup *g = object->groups; g; g = g->next) {
        if (!g->material)
            continue;
        glColor3f(g->material->diffuse[0], g->material->diffuse[1], g->material->diffuse[2]);
        glCallList((GLuint)g->display_list);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
}

static void draw_lit(const Model *model, const ModelObject *object, int mode, const float offset[3])
{
    if (mode == DRAW_SOLID)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    glLineWidth(2.0f);
    for (const ModelGroup *g = object->groups; g; g = g->next) {
        const Material *m = g->material;
        if (!m)
            continue;
        glMaterialfv(GL_FRONT, GL_DIFFUSE, m->diffuse);
        glMaterialfv(GL_FRONT, GL_AMBIENT, m->ambient);
        glMaterialfv(GL_FRONT, GL_SPECULAR, m->specular);
        glMaterialf(GL_FRONT, GL_SHININESS, m->shininess);
        for (const ModelFace *f = g->faces; f; f = f->next) {
            glBegin(mode == DRAW_SOLID ? GL_POLYGON : GL_LINE_LOOP);
            for (int i = 0; i < f->corner_count; i++) {
                glNormal3fv(model->normals + 3 * f->normal_indices[i]);
                const float *v = vertex_at(model, f->vertex_indices[i]);
                glVertex3f(v[0] - offset[0], v[1] - offset[1], v[2] - offset[2]);
            }
            glEnd();
        }
    }
}

void model_draw_object(Model *model, ModelObject *object, int mode)
{
    if (object->kind == OBJECT_PIVOT)
        return;
    glPushMatrix();
    static const float no_offset[3] = {0.0f, 0.0f, 0.0f};
    const float *offset = no_offset;
    if (const ModelObject *p = object->pivot) {
        glTranslatef(p->pivot_point[0], p->pivot_point[1], p->pivot_point[2]);
        glRotatef(object->angle, p->axis[0], p->axis[1], p->axis[2]);
        offset = p->pivot_point;
    }
    if (object->kind == OBJECT_LIGHT) {
        place_light(model, object);
        glPopMatrix();
        return;
    }
    if (mode == DRAW_OUTLINED)
        draw_outlined(model, object, offset);
    else
        draw_lit(model, object, mode, offset);
    glPopMatrix();
    glLineWidth(1.0f);
}

void model_draw(Model *model, int mode)
{
    if (model->has_lights)
        for (GLenum id : light_ids)
            glDisable(id);
    next_light = 0;
    if (mode != DRAW_SOLID)
        for (ModelObject *o = model->objects; o; o = o->next)
            if (o->kind == OBJECT_LIGHT)
                model_draw_object(model, o, mode);
    for (ModelObject *o = model->objects; o; o = o->next)
        if (o->kind != OBJECT_LIGHT)
            model_draw_object(model, o, mode);
}

void draw_mouse(float r, float g, float b, double angle)
{
    if (ModelObject *body = model_find_object(&mouse_model, "body")) {
        for (ModelGroup *group = body->groups; group; group = group->next) {
            Material *m = group->material;
            if (m && strcmp(m->name, "ruumis") == 0) {
                m->diffuse[0] = r;
                m->diffuse[1] = g;
                m->diffuse[2] = b;
            }
        }
    }
    if (ModelObject *key = model_find_object(&mouse_model, "key"))
        key->angle = (float)angle;
    if (ModelObject *tail = model_find_object(&mouse_model, "tail"))
        tail->angle = (float)(-1.5 * angle);
    model_draw(&mouse_model, DRAW_OUTLINED);
}

void draw_ball(int kind)
{
    if (kind >= 0 && kind < 4)
        model_draw(ball_models[kind], DRAW_OUTLINED);
}

void draw_cube()
{
    model_draw(&cube_model, DRAW_OUTLINED);
}
