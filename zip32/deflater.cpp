#include "zip32/deflater.h"

namespace zip32 {

Deflater::Deflater(int level) {
  ready_ = deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

Deflater::~Deflater() {
  if (ready_)
    deflateEnd(&z_);
}

void Deflater::Run(Block &b) noexcept {
  b.crc = std::uint32_t(crc32(0, b.input.data(), uInt(b.input.size())));
  if (!b.deflate)
    return;
  try {
    if (!ready_ || deflateReset(&z_) != Z_OK)
      throw 0;
    if (!b.dictionary.empty() && deflateSetDictionary(&z_, b.dictionary.data(), uInt(b.dictionary.size())) != Z_OK)
      throw 0;
    b.output.resize(deflateBound(&z_, uLong(b.input.size())) + 64);
    z_.next_in = b.input.data();
    z_.avail_in = uInt(b.input.size());
    z_.next_out = b.output.data();
    z_.avail_out = uInt(b.output.size());
    int flush = b.last ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
      int rc = deflate(&z_, flush);
      if (rc == Z_STREAM_END || (flush == Z_SYNC_FLUSH && rc == Z_OK && z_.avail_in == 0 && z_.avail_out != 0))
        break;
      if (rc != Z_OK && rc != Z_BUF_ERROR)
        throw 0;
      std::size_t used = b.output.size() - z_.avail_out;
      b.output.resize(b.output.size() * 2);
      z_.next_out = b.output.data() + used;
      z_.avail_out = uInt(b.output.size() - used);
    }
    b.output.resize(b.output.size() - z_.avail_out);
  } catch (...) {
    b.failed = true;
  }
}

DeflatePool::DeflatePool(int level, unsigned threads) {
  if (threads <= 1) {
    inline_ = std::make_unique<Deflater>(level);
    return;
  }
  try {
    for (unsigned i = 0; i < threads; ++i)
      workers_.emplace_back([this, level] { Work(level); });
  } catch (...) { // no threads to be had: work on the caller's thread
    if (workers_.empty())
      inline_ = std::make_unique<Deflater>(level);
  }
}

DeflatePool::~DeflatePool() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (auto &t : workers_)
    t.join();
}

void DeflatePool::Submit(Block &block) {
  if (inline_) {
    inline_->Run(block);
    block.done = true;
    return;
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    queue_.push_back(&block);
  }
  queued_.notify_one();
}

void DeflatePool::Wait(Block &block) {
  std::unique_lock<std::mutex> hold(lock_);
  finished_.wait(hold, [&] { return block.done; });
}

void DeflatePool::Work(int level) {
  Deflater deflater(level);
  for (;;) {
    Block *block;
    {
      std::unique_lock<std::mutex> hold(lock_);
      queued_.wait(hold, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_)
        return;
      block = queue_.front();
      queue_.pop_front();
    }
    deflater.Run(*block);
    {
      std::lock_guard<std::mutex> hold(lock_);
      block->done = true;
    }
    finished_.notify_all();
  }
}

} // namespace zip32
