// The offscreen OpenGL context.
#define GL_GLEXT_PROTOTYPES 1
#include "offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <cstdio>
#include <cstring>

static EGLDisplay display = EGL_NO_DISPLAY;
static EGLContext context = EGL_NO_CONTEXT;
static GLuint framebuffer, colour_buffer, depth_buffer;
static int frame_width, frame_height;
static char error_text[160];

static int fail(const char *what)
{
    snprintf(error_text, sizeof error_text, "offscreen OpenGL: %s (EGL error 0x%x)", what,
             eglGetError());
    return -1;
}

static int open_context()
{
    auto get_platform_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!get_platform_display)
        return fail("no eglGetPlatformDisplayEXT");
    display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return fail("no surfaceless EGL display");
    if (!eglBindAPI(EGL_OPENGL_API))
        return fail("no desktop OpenGL");
    context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT)
        return fail("cannot create a context");
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return fail("cannot make the context current");
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colour_buffer);
    glGenRenderbuffers(1, &depth_buffer);
    return 0;
}

int offscreen_open(int width, int height)
{
    if (context == EGL_NO_CONTEXT && open_context() != 0)
        return -1;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_buffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_buffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_buffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return fail("framebuffer incomplete");
    glViewport(0, 0, width, height);
    frame_width = width;
    frame_height = height;
    return 0;
}

const char *offscreen_error()
{
    return error_text;
}

std::vector<uint8_t> offscreen_read_rgb()
{
    std::vector<uint8_t> rows((size_t)frame_width * frame_height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glFinish();
    // OpenGL counts rows from the bottom.
    for (int y = 0; y < frame_height; y++)
        glReadPixels(0, frame_height - 1 - y, frame_width, 1, GL_RGB, GL_UNSIGNED_BYTE,
                     rows.data() + (size_t)y * frame_width * 3);
    return rows;
}

void offscreen_close()
{
    if (context == EGL_NO_CONTEXT)
        return;
    glDeleteRenderbuffers(1, &colour_buffer);
    glDeleteRenderbuffers(1, &depth_buffer);
    glDeleteFramebuffers(1, &framebuffer);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
    eglTerminate(display);
    context = EGL_NO_CONTEXT;
    display = EGL_NO_DISPLAY;
}
