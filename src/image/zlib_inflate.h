#pragma once
#include <cstddef>
#include <cstdint>

namespace tessel {

// Inflates one complete zlib stream (RFC 1950) from in[0, inLen) into
// out[0, outLen). Succeeds only when the stream is well formed, ends within the
// input and inflates to exactly outLen bytes: a stream that would produce fewer
// or more bytes, a truncated stream, a bad header, checksum or dictionary
// request all return false. Input bytes after the end of the stream are
// ignored (as zlib's uncompress does). On failure out may have been partly
// written.
bool inflateExact(const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen);

// Upper bound of what deflate can expand inLen bytes of stream into (deflate
// codes at most 258 bytes per 2 bits, i.e. about 1032:1). Callers use it to
// refuse a declared output size before allocating memory for it.
constexpr uint64_t inflateBound(uint64_t inLen) { return inLen * 1032u + 1024u; }

}  // namespace tessel
