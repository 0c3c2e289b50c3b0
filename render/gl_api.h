// GL and GLU as the drawing code uses them. On Linux these are Mesa's
// headers. On Windows opengl32 offers GL 1.1 only: the GLU callback type and
// calling convention get Mesa's names, and the few later functions the
// drawing calls are declared here and fetched from the driver when called
// (native_context_wgl.cpp).
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef _WIN32
#define GLAPIENTRY APIENTRY
using _GLUfuncptr = void(CALLBACK*)();
void glDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type,
                         const void* indices);
#endif
