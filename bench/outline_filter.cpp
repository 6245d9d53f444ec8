// glCallList in front of the OpenGL library's, dropping the outline pass
// while outline_pass_dropped is set.
#include "outline_filter.h"

#include <GL/gl.h>
#include <dlfcn.h>

int outline_pass_dropped = 0;

void glCallList(GLuint list)
{
    using CallList = void (*)(GLuint);
    static const CallList library_call_list =
        reinterpret_cast<CallList>(dlsym(RTLD_NEXT, "glCallList"));
    if (outline_pass_dropped && glIsEnabled(GL_POLYGON_OFFSET_LINE))
        return;
    library_call_list(list);
}
