#pragma once
#include "image/image32.h"

namespace tessel {

// Whole-image mirrors and quarter turns that undo replays on every layer.
void mirrorLeftRight(Image32& image);
void mirrorTopBottom(Image32& image);
// Into out, created height x width. False when out cannot be created.
bool rotatedCounterClockwise(const Image32& image, Image32& out);
bool rotatedClockwise(const Image32& image, Image32& out);

}  // namespace tessel
