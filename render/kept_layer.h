// The table kept between frames: the frame drawn without the piece that
// moves (and, with the branded background, without the background and its
// caption), in an offscreen colour and depth buffer of the client's size.
// While nothing else changes, a frame is that layer copied to the screen with
// the background and the moving piece drawn over it, so that a drag or a turn
// costs one piece and the background's colour cycling no piece at all.
//
// The window or tool owns one KeptLayer beside its TableMesh; only these
// functions and the frame renderer write it. Everything here needs the
// table's GL context current.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace puzzle {

// Everything the layer's pixels were drawn from besides the poses of its
// pieces: a layer whose key differs is drawn again.
struct KeptLayerKey {
  std::uint32_t meshGeneration = 0;
  std::int32_t moving = -1;
  std::int32_t selected = -1;
  std::array<std::uint8_t, 3> selectedColour{};
  std::uint32_t texture = 0;
  std::int32_t frameIndex = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool branded = false;
  bool captionDue = false;
  bool showCentres = false;
  bool showFrame = false;
  std::array<float, 9> colors{};
  float backOffsetX = 0;
  float backOffsetY = 0;
  double zoom = 1;

  bool operator==(const KeptLayerKey&) const = default;
};

struct KeptLayer {
  // GL names, 0 until first made; depthFormat matches the screen's, so that
  // depth can be copied.
  std::uint32_t framebuffer = 0;
  std::uint32_t colour = 0;
  std::uint32_t depth = 0;
  std::uint32_t depthFormat = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The GL offers no framebuffer objects, or refused the layer or its copy:
  // every frame is drawn whole until the context is made again.
  bool unavailable = false;
  // The pixels match key and the poses the table mesh was last made for.
  bool valid = false;
  KeptLayerKey key;
  // Set by the owner: the framebuffer the frames are drawn into keeps its
  // pixels from one frame to the next, and nothing else draws into it.
  bool targetKept = false;
  // The last frame was the layer copied with nothing over it but the
  // branded background and caption: where the target is kept, a frame in
  // which only their colours change draws them again over it, without the
  // copy. The owner clears it when the target is made anew.
  bool shown = false;
};

// Binds the layer for drawing, made or remade for width x height and the
// depth format of the framebuffer bound now, and returns the framebuffer to
// return to; none (the layer unavailable) where it cannot be had.
std::optional<std::uint32_t> BeginKeptLayer(KeptLayer& layer, std::int32_t width, std::int32_t height);
void EndKeptLayer(std::uint32_t target);

// Copies the layer's colour and depth into the framebuffer bound now; false,
// and the layer unavailable, when the GL refused.
bool CopyKeptLayer(KeptLayer& layer);

// Deletes the GL objects; the next context starts afresh.
void ReleaseKeptLayer(KeptLayer& layer);

}  // namespace puzzle
