#include "render/headless_context.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/framebuffer_calls.h"
#include "render/native_context.h"

namespace puzzle {

// The framebuffer objects' entry points are fetched once the context is
// current.
struct HeadlessContext::Impl {
  NativeGlContext native;
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  FramebufferCalls calls;
};

HeadlessContext::HeadlessContext() : impl_(std::make_unique<Impl>()) {}

HeadlessContext::~HeadlessContext() {
  Close();
}

bool HeadlessContext::Open(int width, int height, DepthFormat depth) {
  Close();
  depthFormat_ = depth;
  Impl& gl = *impl_;
  if (!gl.native.Create(error_)) return false;
  const auto calls = FetchFramebufferCalls();
  if (!calls) {
    error_ = "the GL has no framebuffer objects";
    return false;
  }
  gl.calls = *calls;
  gl.calls.genFramebuffers(1, &gl.framebuffer);
  gl.calls.genRenderbuffers(1, &gl.colour);
  gl.calls.genRenderbuffers(1, &gl.depth);
  return AllocateStorage(width, height);
}

bool HeadlessContext::Resize(int width, int height) {
  if (!impl_->native.Exists()) return false;
  return AllocateStorage(width, height);
}

bool HeadlessContext::AllocateStorage(int width, int height) {
  Impl& gl = *impl_;
  if (width < 1 || height < 1) {
    error_ = "the framebuffer needs at least one pixel";
    return false;
  }
  gl.calls.bindRenderbuffer(GL_RENDERBUFFER, gl.colour);
  gl.calls.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  // The game asks for 32 depth bits; 24 is what most drivers grant.
  gl.calls.bindRenderbuffer(GL_RENDERBUFFER, gl.depth);
  gl.calls.renderbufferStorage(
      GL_RENDERBUFFER, depthFormat_ == DepthFormat::Bits16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24,
      width, height);
  GLint depthBits = 0;
  gl.calls.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depthBits);
  gl.calls.bindRenderbuffer(GL_RENDERBUFFER, 0);
  gl.calls.bindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer);
  gl.calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl.colour);
  gl.calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gl.depth);
  if (gl.calls.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error_ = "the framebuffer is incomplete";
    return false;
  }
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width, height);
  width_ = width;
  height_ = height;
  depthBits_ = depthBits;
  return true;
}

std::vector<std::uint8_t> HeadlessContext::ReadPixels() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  if (pixels.empty()) return pixels;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

void HeadlessContext::Close() {
  Impl& gl = *impl_;
  if (gl.native.Current() && gl.framebuffer != 0) {
    gl.calls.bindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.calls.deleteFramebuffers(1, &gl.framebuffer);
    gl.calls.deleteRenderbuffers(1, &gl.colour);
    gl.calls.deleteRenderbuffers(1, &gl.depth);
  }
  gl.native.Destroy();
  gl.framebuffer = gl.colour = gl.depth = 0;
  width_ = 0;
  height_ = 0;
  depthBits_ = 0;
}

}  // namespace puzzle
