#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "render/native_context.h"

namespace puzzle {

struct NativeGlContext::Handles {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
};

NativeGlContext::NativeGlContext() : handles_(std::make_unique<Handles>()) {}

NativeGlContext::~NativeGlContext() {
  Destroy();
}

bool NativeGlContext::Create(std::string& error) {
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) {
    error = "EGL has no eglGetPlatformDisplayEXT";
    return false;
  }
  Handles& egl = *handles_;
  egl.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (egl.display == EGL_NO_DISPLAY || !eglInitialize(egl.display, nullptr, nullptr)) {
    error = "no EGL display on Mesa's surfaceless platform";
    egl.display = EGL_NO_DISPLAY;
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = "EGL cannot bind desktop OpenGL";
    return false;
  }
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configCount = 0;
  if (!eglChooseConfig(egl.display, configAttributes, &config, 1, &configCount) || configCount < 1) {
    error = "no EGL configuration for desktop OpenGL";
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  egl.context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, contextAttributes);
  if (egl.context == EGL_NO_CONTEXT) {
    error = "EGL refused a compatibility-profile context";
    return false;
  }
  if (!eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl.context)) {
    error = "the context cannot be made current without a surface";
    return false;
  }
  return true;
}

bool NativeGlContext::Exists() const {
  return handles_->context != EGL_NO_CONTEXT;
}

bool NativeGlContext::Current() const {
  return Exists() && eglGetCurrentContext() == handles_->context;
}

void NativeGlContext::Destroy() {
  Handles& egl = *handles_;
  if (egl.context != EGL_NO_CONTEXT) {
    if (Current()) eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(egl.display, egl.context);
  }
  // The display is not terminated: EGL hands every context of the process the
  // same surfaceless display, and terminating it would pull it from under them.
  egl = Handles{};
}

NativeGlContext::AnyFunction NativeGlContext::Function(const char* name) {
  return eglGetProcAddress(name);
}

}  // namespace puzzle
