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

} // namespace zip32
