// The picture's textures: one power-of-two texture (at least 64 texels a
// side) for a still picture, one per frame for an animated one, the picture
// in the bottom-left corner and transparent black around it, with mipmaps.
//
// Writes the texture fields of GameState (stillTexture, frameTextures,
// textureWidth/Height, texMaxS/T) and nothing else; the piece meshes, the
// prompt overlay and the frame renderer read them. Needs a current context.
#pragma once

#include <cstdint>
#include <vector>

#include "model/records.h"

namespace puzzle {

struct TextureSize {
  std::int32_t width = 64;
  std::int32_t height = 64;
  // The picture fills the texture exactly, so its rows can be used as they are.
  bool exact = false;
};

// The smallest power of two not below each side, raised to 64.
TextureSize ChooseTextureSize(std::int32_t imageWidth, std::int32_t imageHeight);

// Copies frame `frame` of the picture into a texture-sized block: rows of
// the picture bottom-left, the rest transparent black. `staging` must hold
// size.width x size.height x 4 bytes.
void StageFrame(const GameState& state, const TextureSize& size, std::int32_t frame, std::uint8_t* staging);

// Builds the textures of the picture in `pixels` (all frames), replacing any
// textures the state still names, and sets textureWidth/Height and
// texMaxS/T. False, with no texture made, when the pixels do not hold the
// picture's frames or the staging memory cannot be had (texMaxS/T are set).
bool UploadPictureTexture(GameState& state);

// The reverse, for a context about to go while a game holds its picture only
// in the textures: the frames are read back into `pixels` (the delay bytes
// between frames zero), for UploadPictureTexture in the next context. False,
// with `pixels` untouched, when no texture is named or memory is short.
bool ReadBackPictureTextures(GameState& state);

// Deletes the still texture and every frame texture the state names and
// forgets them. The shell calls it before a new picture or a saved game
// takes their place and when the window goes.
void DeletePictureTextures(GameState& state);

}  // namespace puzzle
