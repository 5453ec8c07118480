// libFuzzer harness for the OpenRaster reader: zip structure, stack.xml and
// the layer PNGs, then the merged image and thumbnail readers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/document.h"
#include "formats/image_loader.h"
#include "formats/ora_document.h"
#include "fuzz_document.h"
#include "fuzz_file.h"

// The reader unpacks layer pictures into a temporary folder: on a memory file
// system, so that making and removing it costs microseconds, not a disk's inodes.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (access("/dev/shm", W_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = writeFuzzInput(data, size, ".ora");
  tessel::Document* doc = fuzzDocument();
  if (!doc) return 0;
  tessel::Document& document = *doc;
  // Up to 100 layers of the canvas: sides of 128 keep the fuzzer's memory small.
  const int result = tessel::readOra(path, document, nullptr, 128);
  // Whatever the file, the document keeps a current layer of canvas size,
  // and a refused file leaves the open one as it was.
  if (document.layerCount() < 1 || !document.currentLayer() ||
      document.currentLayer()->image().width() != document.width() ||
      document.currentLayer()->image().height() != document.height())
    std::abort();
  if (result != 0 && result != 4 && (document.width() != 3 || document.layerCount() != 1)) std::abort();
  tessel::Image32 image;
  tessel::ImageReadInfo info;
  // The pictures are read without the side limit, so only from small inputs;
  // each opens the archive again: the last byte picks one input in eight for
  // each of them.
  const int pick = size ? data[size - 1] & 7 : 0;
  if (size < 4096 && pick == 1) tessel::readOraMerged(path, image, info);
  if (size < 4096 && pick == 2) tessel::readOraThumbnail(path, 64, image);
  fuzzDocumentDone(document);
  return 0;
}
