#include "image/zlib_inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace tessel {

bool inflateExact(const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen) {
  if ((in == nullptr && inLen != 0) || (out == nullptr && outLen != 0)) return false;

  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;

  const uint8_t* inNext = in;
  size_t inLeft = inLen;     // input not yet handed to zlib
  uint8_t* outNext = out;
  size_t outLeft = outLen;   // output space not yet handed to zlib
  uint8_t spare = 0;         // one byte that catches output beyond outLen
  bool inSpare = false;
  bool ok = false;

  for (;;) {
    if (zs.avail_in == 0 && inLeft > 0) {
      uInt chunk = uInt(std::min<size_t>(inLeft, UINT_MAX));
      zs.next_in = const_cast<Bytef*>(inNext);
      zs.avail_in = chunk;
      inNext += chunk;
      inLeft -= chunk;
    }
    if (zs.avail_out == 0) {
      if (outLeft > 0) {
        uInt chunk = uInt(std::min<size_t>(outLeft, UINT_MAX));
        zs.next_out = outNext;
        zs.avail_out = chunk;
        outNext += chunk;
        outLeft -= chunk;
      } else {
        zs.next_out = &spare;
        zs.avail_out = 1;
        inSpare = true;
      }
    }

    int ret = inflate(&zs, Z_NO_FLUSH);
    if (inSpare && zs.avail_out == 0) break;   // the stream is longer than outLen
    if (ret == Z_STREAM_END) {
      ok = outLeft == 0 && (inSpare ? zs.avail_out == 1 : zs.avail_out == 0);
      break;
    }
    if (ret == Z_OK) continue;
    if (ret == Z_BUF_ERROR && (zs.avail_in > 0 || inLeft > 0)) continue;
    break;   // truncated input (Z_BUF_ERROR), Z_DATA_ERROR, Z_NEED_DICT, Z_MEM_ERROR ...
  }

  inflateEnd(&zs);
  return ok;
}

}  // namespace tessel
