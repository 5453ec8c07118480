#pragma once
#include <QIcon>

#include "image/geometry.h"

namespace tessel {

class Image24;

// One icon cut out of the strip; pure green becomes transparent.
QIcon stripIcon(const Image24& strip, const Rect& r);

}  // namespace tessel
