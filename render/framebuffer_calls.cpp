#include "render/framebuffer_calls.h"

#include "render/native_context.h"

namespace puzzle {
namespace {

template <typename F>
bool Fetch(F& function, const char* name) {
  function = reinterpret_cast<F>(NativeGlContext::Function(name));
  return function != nullptr;
}

}  // namespace

std::optional<FramebufferCalls> FetchFramebufferCalls() {
  FramebufferCalls gl;
  // GL 3.0 has them all; without it the names may point nowhere.
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version == nullptr || version[0] < '3' || version[0] > '9' || version[1] != '.') return std::nullopt;
  if (!Fetch(gl.genFramebuffers, "glGenFramebuffers") ||
      !Fetch(gl.deleteFramebuffers, "glDeleteFramebuffers") ||
      !Fetch(gl.bindFramebuffer, "glBindFramebuffer") || !Fetch(gl.genRenderbuffers, "glGenRenderbuffers") ||
      !Fetch(gl.deleteRenderbuffers, "glDeleteRenderbuffers") ||
      !Fetch(gl.bindRenderbuffer, "glBindRenderbuffer") ||
      !Fetch(gl.renderbufferStorage, "glRenderbufferStorage") ||
      !Fetch(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") ||
      !Fetch(gl.checkFramebufferStatus, "glCheckFramebufferStatus") ||
      !Fetch(gl.getAttachmentParameteriv, "glGetFramebufferAttachmentParameteriv") ||
      !Fetch(gl.getRenderbufferParameteriv, "glGetRenderbufferParameteriv") ||
      !Fetch(gl.blitFramebuffer, "glBlitFramebuffer") || !Fetch(gl.generateMipmap, "glGenerateMipmap"))
    return std::nullopt;
  return gl;
}

}  // namespace puzzle
