#pragma once
#include "document/document.h"

// One document for the whole run keeps its blend tables. Each input finds it
// as a 3 x 2 image with one layer and leaves it so: what the input allocated
// is freed within the input, so libFuzzer does not take the layers for a leak
// and run the input a second time to look for it.
inline tessel::Document* fuzzDocument() {
  static tessel::Document document;
  if ((document.width() != 3 || document.height() != 2 || document.layerCount() != 1) &&
      !document.newImage(3, 2, true))
    return nullptr;
  return &document;
}

inline void fuzzDocumentDone(tessel::Document& document) { document.newImage(3, 2, true); }
