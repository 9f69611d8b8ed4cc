// Compresses a file in blocks that join into one deflate stream: every block
// but the last ends on a byte boundary (sync flush) and each is primed with
// the 32 KiB of input before it, so blocks can be compressed independently.
#pragma once
#include "zip32/zipformat.h"

#include <zlib.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
  bool done = false; // guarded by the pool's lock
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

// Worker threads, one Deflater each, that take blocks in the order given.
// With one core the blocks are compressed on the caller's thread. The owner
// of the blocks must outlive the pool: the destructor waits for the workers.
class DeflatePool {
public:
  DeflatePool(int level, unsigned threads);
  ~DeflatePool();
  DeflatePool(const DeflatePool &) = delete;
  DeflatePool &operator=(const DeflatePool &) = delete;
  void Submit(Block &block);
  void Wait(Block &block);
  unsigned Threads() const { return unsigned(workers_.size()); }

private:
  void Work(int level);
  std::mutex lock_;
  std::condition_variable queued_, finished_;
  std::deque<Block *> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
  std::unique_ptr<Deflater> inline_;
};

} // namespace zip32
