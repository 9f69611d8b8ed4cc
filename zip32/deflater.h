// Compresses a file in blocks that join into one deflate stream: every block
// but the last ends on a byte boundary (sync flush) and each is primed with
// the 32 KiB of input before it, so blocks can be compressed independently.
#pragma once
#include "zip32/zipformat.h"

#include <zlib.h>

namespace zip32 {

constexpr std::size_t kBlockSize = 1 << 20;
constexpr std::size_t kWindow = 32768;

struct Block {
  Bytes input;
  Bytes dictionary; // input just before this block, at most kWindow bytes
  bool last = true;
  bool deflate = false;
  // results
  Bytes output;
  std::uint32_t crc = 0;
  bool failed = false;
};

class Deflater {
public:
  explicit Deflater(int level);
  ~Deflater();
  Deflater(const Deflater &) = delete;
  Deflater &operator=(const Deflater &) = delete;
  // Fills block.crc and, when block.deflate, block.output; never throws.
  void Run(Block &block) noexcept;

private:
  z_stream z_{};
  bool ready_ = false;
};

} // namespace zip32
