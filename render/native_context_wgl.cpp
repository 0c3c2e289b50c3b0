#include <windows.h>

#include "render/gl_api.h"
#include "render/native_context.h"
#include "render/wgl_context.h"

namespace puzzle {
namespace {

constexpr const wchar_t* WINDOW_CLASS = L"QuorvanePuzzleHeadless";

}  // namespace

HGLRC CreateWglContext(HDC deviceContext, BYTE depthBits, std::string& error) {
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 32;
  format.cDepthBits = depthBits;
  format.iLayerType = PFD_MAIN_PLANE;
  const int chosen = ChoosePixelFormat(deviceContext, &format);
  if (chosen == 0 || !SetPixelFormat(deviceContext, chosen, &format)) {
    error = "no OpenGL pixel format for the window";
    return nullptr;
  }
  // A context made the old way is a compatibility-profile one.
  HGLRC context = wglCreateContext(deviceContext);
  if (context == nullptr) error = "WGL refused a context";
  return context;
}

// The window is never shown: it only lends its device context a pixel
// format, and all drawing goes to the framebuffer object.
struct NativeGlContext::Handles {
  HWND window = nullptr;
  HDC deviceContext = nullptr;
  HGLRC context = nullptr;
};

NativeGlContext::NativeGlContext() : handles_(std::make_unique<Handles>()) {}

NativeGlContext::~NativeGlContext() {
  Destroy();
}

bool NativeGlContext::Create(std::string& error) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = WINDOW_CLASS;
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    error = "the hidden window's class cannot be registered";
    return false;
  }
  Handles& wgl = *handles_;
  wgl.window = CreateWindowExW(0, WINDOW_CLASS, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                               0, 0, 16, 16, nullptr, nullptr, instance, nullptr);
  wgl.deviceContext = wgl.window != nullptr ? GetDC(wgl.window) : nullptr;
  if (wgl.deviceContext == nullptr) {
    error = "no hidden window for the GL context";
    return false;
  }
  wgl.context = CreateWglContext(wgl.deviceContext, 24, error);
  if (wgl.context == nullptr) return false;
  if (!wglMakeCurrent(wgl.deviceContext, wgl.context)) {
    error = "the WGL context cannot be made current";
    return false;
  }
  return true;
}

bool NativeGlContext::Exists() const {
  return handles_->context != nullptr;
}

bool NativeGlContext::Current() const {
  return Exists() && wglGetCurrentContext() == handles_->context;
}

void NativeGlContext::Destroy() {
  Handles& wgl = *handles_;
  if (wgl.context != nullptr) {
    if (Current()) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(wgl.context);
  }
  if (wgl.deviceContext != nullptr) ReleaseDC(wgl.window, wgl.deviceContext);
  if (wgl.window != nullptr) DestroyWindow(wgl.window);
  wgl = Handles{};
}

NativeGlContext::AnyFunction NativeGlContext::Function(const char* name) {
  // WGL knows only what lies beyond GL 1.1; the rest is opengl32's own.
  PROC function = wglGetProcAddress(name);
  const auto address = reinterpret_cast<std::intptr_t>(function);
  if (address == 0 || (address >= -1 && address <= 3)) {
    function = GetProcAddress(GetModuleHandleW(L"opengl32.dll"), name);
  }
  return reinterpret_cast<AnyFunction>(function);
}

}  // namespace puzzle

// The current context's own function, asked for on each call as WGL hands
// out functions per context.
void glDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type,
                         const void* indices) {
  using DrawRangeElements = void(APIENTRY*)(GLenum, GLuint, GLuint, GLsizei, GLenum, const void*);
  if (const auto draw =
          reinterpret_cast<DrawRangeElements>(puzzle::NativeGlContext::Function("glDrawRangeElements")))
    draw(mode, start, end, count, type, indices);
}
