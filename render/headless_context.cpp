#include "render/headless_context.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/native_context.h"

namespace puzzle {

// Framebuffer objects are not part of GL 1.1, so their entry points are
// fetched once the context is current.
struct HeadlessContext::Impl {
  NativeGlContext native;
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv = nullptr;
};

namespace {

template <typename F>
bool Fetch(F& function, const char* name) {
  function = reinterpret_cast<F>(NativeGlContext::Function(name));
  return function != nullptr;
}

}  // namespace

HeadlessContext::HeadlessContext() : impl_(std::make_unique<Impl>()) {}

HeadlessContext::~HeadlessContext() {
  Close();
}

bool HeadlessContext::Open(int width, int height, DepthFormat depth) {
  Close();
  depthFormat_ = depth;
  Impl& gl = *impl_;
  if (!gl.native.Create(error_)) return false;
  if (!Fetch(gl.genFramebuffers, "glGenFramebuffers") ||
      !Fetch(gl.deleteFramebuffers, "glDeleteFramebuffers") ||
      !Fetch(gl.bindFramebuffer, "glBindFramebuffer") || !Fetch(gl.genRenderbuffers, "glGenRenderbuffers") ||
      !Fetch(gl.deleteRenderbuffers, "glDeleteRenderbuffers") ||
      !Fetch(gl.bindRenderbuffer, "glBindRenderbuffer") ||
      !Fetch(gl.renderbufferStorage, "glRenderbufferStorage") ||
      !Fetch(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") ||
      !Fetch(gl.checkFramebufferStatus, "glCheckFramebufferStatus") ||
      !Fetch(gl.getRenderbufferParameteriv, "glGetRenderbufferParameteriv")) {
    error_ = "the GL has no framebuffer objects";
    return false;
  }
  gl.genFramebuffers(1, &gl.framebuffer);
  gl.genRenderbuffers(1, &gl.colour);
  gl.genRenderbuffers(1, &gl.depth);
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
  gl.bindRenderbuffer(GL_RENDERBUFFER, gl.colour);
  gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  // The game asks for 32 depth bits; 24 is what most drivers grant.
  gl.bindRenderbuffer(GL_RENDERBUFFER, gl.depth);
  gl.renderbufferStorage(GL_RENDERBUFFER,
                         depthFormat_ == DepthFormat::Bits16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24,
                         width, height);
  GLint depthBits = 0;
  gl.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depthBits);
  gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
  gl.bindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl.colour);
  gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gl.depth);
  if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
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
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.deleteFramebuffers(1, &gl.framebuffer);
    gl.deleteRenderbuffers(1, &gl.colour);
    gl.deleteRenderbuffers(1, &gl.depth);
  }
  gl.native.Destroy();
  gl.framebuffer = gl.colour = gl.depth = 0;
  width_ = 0;
  height_ = 0;
  depthBits_ = 0;
}

}  // namespace puzzle
