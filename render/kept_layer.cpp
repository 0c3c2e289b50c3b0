#include "render/kept_layer.h"

#include "render/framebuffer_calls.h"

namespace puzzle {
namespace {

// The depth format of the framebuffer bound for drawing: a copy of depth
// needs the very same on both sides.
GLenum TargetDepthFormat(const FramebufferCalls& gl, GLint target) {
  if (target != 0) {
    GLint type = GL_NONE;
    gl.getAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type == GL_RENDERBUFFER) {
      GLint name = 0;
      gl.getAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
      GLint format = 0;
      gl.bindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(name));
      gl.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
      gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
      if (format != 0) return static_cast<GLenum>(format);
    }
  }
  GLint depthBits = 0, stencilBits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  if (stencilBits > 0) return GL_DEPTH24_STENCIL8;
  if (depthBits <= 16) return GL_DEPTH_COMPONENT16;
  return depthBits >= 32 ? GL_DEPTH_COMPONENT32 : GL_DEPTH_COMPONENT24;
}

void DeleteObjects(const FramebufferCalls& gl, KeptLayer& layer) {
  if (layer.framebuffer != 0) gl.deleteFramebuffers(1, &layer.framebuffer);
  const GLuint buffers[2] = {layer.colour, layer.depth};
  if (layer.colour != 0 || layer.depth != 0) gl.deleteRenderbuffers(2, buffers);
  layer.framebuffer = layer.colour = layer.depth = 0;
  layer.valid = false;
}

}  // namespace

std::optional<std::uint32_t> BeginKeptLayer(KeptLayer& layer, std::int32_t width, std::int32_t height) {
  if (layer.unavailable || width <= 0 || height <= 0) return std::nullopt;
  const auto gl = FetchFramebufferCalls();
  if (!gl) {
    layer.unavailable = true;
    return std::nullopt;
  }
  GLint target = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
  const GLenum depthFormat = TargetDepthFormat(*gl, target);
  if (layer.framebuffer == 0 || layer.width != width || layer.height != height ||
      layer.depthFormat != depthFormat) {
    DeleteObjects(*gl, layer);
    gl->genFramebuffers(1, &layer.framebuffer);
    gl->genRenderbuffers(1, &layer.colour);
    gl->genRenderbuffers(1, &layer.depth);
    gl->bindRenderbuffer(GL_RENDERBUFFER, layer.colour);
    gl->renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl->bindRenderbuffer(GL_RENDERBUFFER, layer.depth);
    gl->renderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
    gl->bindRenderbuffer(GL_RENDERBUFFER, 0);
    gl->bindFramebuffer(GL_FRAMEBUFFER, layer.framebuffer);
    gl->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, layer.colour);
    gl->framebufferRenderbuffer(
        GL_FRAMEBUFFER,
        depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
        GL_RENDERBUFFER, layer.depth);
    const bool complete = gl->checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
      gl->bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(target));
      DeleteObjects(*gl, layer);
      layer.unavailable = true;
      return std::nullopt;
    }
    layer.width = width;
    layer.height = height;
    layer.depthFormat = depthFormat;
  }
  gl->bindFramebuffer(GL_FRAMEBUFFER, layer.framebuffer);
  return static_cast<std::uint32_t>(target);
}

void EndKeptLayer(std::uint32_t target) {
  if (const auto gl = FetchFramebufferCalls()) gl->bindFramebuffer(GL_FRAMEBUFFER, target);
}

bool CopyKeptLayer(KeptLayer& layer) {
  const auto gl = FetchFramebufferCalls();
  if (!gl || layer.framebuffer == 0) return false;
  GLint target = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
  while (glGetError() != GL_NO_ERROR) {
  }
  gl->bindFramebuffer(GL_READ_FRAMEBUFFER, layer.framebuffer);
  gl->blitFramebuffer(0, 0, layer.width, layer.height, 0, 0, layer.width, layer.height,
                      GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, GL_NEAREST);
  gl->bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(target));
  if (glGetError() == GL_NO_ERROR) return true;
  DeleteObjects(*gl, layer);
  layer.unavailable = true;
  return false;
}

void ReleaseKeptLayer(KeptLayer& layer) {
  if (const auto gl = FetchFramebufferCalls()) DeleteObjects(*gl, layer);
  layer = KeptLayer{};
}

}  // namespace puzzle
