// The window system's part of HeadlessContext: a compatibility-profile GL
// context made current without anything on the screen, and the lookup of
// the GL functions beyond 1.1. EGL on Mesa's surfaceless platform on Linux
// (native_context_egl.cpp); a hidden window with a WGL context on Windows
// (native_context_wgl.cpp). Owned by one HeadlessContext.
#pragma once

#include <memory>
#include <string>

namespace puzzle {

class NativeGlContext {
 public:
  NativeGlContext();
  ~NativeGlContext();
  NativeGlContext(const NativeGlContext&) = delete;
  NativeGlContext& operator=(const NativeGlContext&) = delete;

  // Creates the context and makes it current; false, with error saying why,
  // when the system has none to give.
  bool Create(std::string& error);
  bool Exists() const;
  bool Current() const;
  // Releases the context (and whatever it was made with), current or not.
  void Destroy();

  // A GL function by name, to be cast to its own type; null when the GL has
  // none.
  using AnyFunction = void (*)();
  static AnyFunction Function(const char* name);

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace puzzle
