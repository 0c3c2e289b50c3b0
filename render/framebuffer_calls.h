// The framebuffer-object entry points of the GL context that is current:
// they are not part of GL 1.1, so they are looked up by name. Used by the
// headless context, the kept layer and the picture's mipmaps.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <optional>

namespace puzzle {

struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC getAttachmentParameteriv = nullptr;
  PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
  PFNGLGENERATEMIPMAPPROC generateMipmap = nullptr;
};

// All of them, or none where the current context is older than GL 3.0 or
// lacks one.
std::optional<FramebufferCalls> FetchFramebufferCalls();

}  // namespace puzzle
