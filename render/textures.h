// The picture's texture: one power-of-two texture (at least 64 texels a
// side), the picture in the bottom-left corner and transparent black around
// it. An animated picture keeps its first frame and the later frames'
// changes in `pixels`; its texture holds the frame shown, and only what
// changed is written when another frame is shown: the GL holds one frame
// whatever the frame count. The table samples the texture with linear
// filtering from its full size; only a still picture shown below 100 % gets
// mipmaps, made by the GL the first time they are needed, so that the memory
// they take is spent only where they pay.
//
// Writes the texture fields of GameState (stillTexture, textureFrame,
// textureWidth/Height, texMaxS/T) and nothing else; the piece meshes, the
// prompt overlay and the frame renderer read them. Needs a current context.
#pragma once

#include <cstdint>

#include "model/records.h"

namespace puzzle {

struct TextureSize {
  std::int32_t width = 64;
  std::int32_t height = 64;
  // The picture fills the texture exactly.
  bool exact = false;
};

// The smallest power of two not below each side, raised to 64.
TextureSize ChooseTextureSize(std::int32_t imageWidth, std::int32_t imageHeight);

enum class PixelsAfterUpload { Keep, GiveBack };

// Makes the texture of the picture in `pixels` (its first frame when
// animated) straight from them, with no copy on this side, then lets go of
// any texture the state still names and sets the texture fields. With
// GiveBack a still picture is to live only in its texture: its pixels wait
// in a temporary file while the texture is made, so that the picture and
// its texture are never both whole in memory, and `pixels` is empty on
// success (an animated picture keeps its frames). False, with the state
// untouched, when the pixels do not hold the picture's frames or the GL
// cannot make the texture (a side beyond its largest, or its memory short);
// only a picture that cannot be read back from its file is then lost.
bool UploadPictureTexture(GameState& state, PixelsAfterUpload after = PixelsAfterUpload::Keep);

// Writes frame `frame` of an animated picture into its texture unless the
// texture holds it already: the changes after the frame it holds, or after
// the first frame for an earlier one. The shell calls it once the frame to show is
// known, before the frame is drawn.
void ShowPictureFrame(GameState& state, std::int32_t frame);

// Before the table is drawn at `zoom`: below 100 % a still picture is
// sampled through mipmaps (made now if the texture has none yet); at 100 %
// and above, or where the GL cannot make them, from its full size alone,
// exactly as a texture that never had any. Binds the texture.
void FilterPictureForZoom(GameState& state, double zoom);

// Deletes the texture the state names and forgets it. The shell calls it
// before a new picture or a saved game takes its place and when the window
// goes.
void DeletePictureTextures(GameState& state);

}  // namespace puzzle
