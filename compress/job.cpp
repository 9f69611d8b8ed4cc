#include "compress/compress.h"

namespace satchel {

int32_t TZipCompressor::Compress(const std::string &, const std::string &, const std::vector<std::string> &) {
  return -1;
}

} // namespace satchel
