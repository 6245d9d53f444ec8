// Text as a row of glyph objects from the font model.
#include "models/models.h"

#include <GL/gl.h>
#include <cstring>

void draw_glyph(int c)
{
    if (c == ' ')
        return;
    const char name[2] = {(char)(c & 0xFF), '\0'};
    if (ModelObject *glyph = model_find_object(&font_model, name))
        model_draw_object(&font_model, glyph, DRAW_OUTLINED);
}

void draw_text(const char *text, int centre)
{
    glPushMatrix();
    if (centre)
        glTranslatef((float)(-((double)strlen(text) * 0.55)), 0.0f, 0.0f);
    for (const char *p = text; *p; p++) {
        draw_glyph((unsigned char)*p);
        glTranslatef(1.1f, 0.0f, 0.0f);
    }
    glPopMatrix();
}
