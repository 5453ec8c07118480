#pragma once
#include <string>
#include <vector>

#include "draw/pixel/pixel_gate.h"
#include "formats/texture_library.h"

namespace tessel {

// The library's textures in the form the brushes read.
std::vector<Texture> brushTexturesOf(const TextureLibrary& library);

// A whole library file in the place of the current one, marked modified so
// it is written at exit; a failure leaves the current library as it was.
bool replaceTextureLibrary(TextureLibrary& library, const std::string& path);

// The texture panel's thumbnail side for its view size (0 small, 1 medium,
// 2 large; other values as medium).
int textureThumbSide(int viewSize);
constexpr int kTextureViewSizes = 3;

}  // namespace tessel
