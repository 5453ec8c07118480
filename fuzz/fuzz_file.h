#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The readers take paths: each input goes through one file per process.
inline std::string writeFuzzInput(const uint8_t* data, size_t size, const char* suffix) {
  std::string path = "/tmp/tessel_fuzz_" + std::to_string(getpid()) + suffix;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
