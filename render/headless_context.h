// A real OpenGL compatibility context without anything on the screen (EGL on
// Mesa's surfaceless platform on Linux, a hidden window's WGL context on
// Windows), drawing into a framebuffer object with a colour and a depth
// renderbuffer. The GL tests and the command-line tools
// (puzzle-render, puzzle-bench) draw with it exactly as the game window does,
// whose QOpenGLWidget renders into a framebuffer object too.
//
// The object owns its context and framebuffer; nothing else may delete
// them. It is made current by Open and stays current on the calling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace puzzle {

class HeadlessContext {
 public:
  HeadlessContext();
  ~HeadlessContext();
  HeadlessContext(const HeadlessContext&) = delete;
  HeadlessContext& operator=(const HeadlessContext&) = delete;

  // The depth buffer: what drivers commonly grant, or the 16 bits of an old
  // card (the game then picks by distance).
  enum class DepthFormat { Bits24, Bits16 };

  // Makes the context current with a width x height framebuffer bound and the
  // viewport set to it. False, with Error() saying why, when the system
  // gives no such context or the GL has no framebuffer objects.
  bool Open(int width, int height, DepthFormat depth = DepthFormat::Bits24);
  // Replaces the framebuffer's storage; its contents are undefined afterwards.
  bool Resize(int width, int height);

  const std::string& Error() const { return error_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Bits of the depth renderbuffer as granted.
  int DepthBits() const { return depthBits_; }

  // The whole framebuffer, RGBA, bottom row first.
  std::vector<std::uint8_t> ReadPixels() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string error_;
  int width_ = 0;
  int height_ = 0;
  int depthBits_ = 0;
  DepthFormat depthFormat_ = DepthFormat::Bits24;

  bool AllocateStorage(int width, int height);
  void Close();
};

}  // namespace puzzle
