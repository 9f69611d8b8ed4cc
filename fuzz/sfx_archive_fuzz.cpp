// Feeds arbitrary files to the self-extractor's archive reader, then reads and
// inflates every entry the way extraction would, so whatever the reader
// accepted is really used.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/bytes.h"
#include "sfx/archive.h"

namespace {

// Inflates at most the entry's declared size, as extraction stops there.
void Inflate(const std::vector<uint8_t> &packed, uint32_t size) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
    abort();
  uint8_t out[4096];
  uint64_t total = 0;
  z.next_in = const_cast<Bytef *>(packed.data());
  z.avail_in = uInt(packed.size());
  while (total < size) {
    z.next_out = out;
    z.avail_out = uInt(std::min<uint64_t>(sizeof out, size - total));
    int rc = inflate(&z, Z_NO_FLUSH);
    total += z.next_out - out;
    if (rc != Z_OK)
      break;
  }
  inflateEnd(&z);
}

void Check(const satchel::MemorySource &source, uint64_t first) {
  sfx::Archive archive;
  sfx::Msg error;
  if (!archive.Load(source, first, error))
    return;
  struct Span {
    uint64_t from, to;
  };
  std::vector<Span> spans;
  for (const sfx::Entry &e : archive.Entries()) {
    uint64_t pos;
    if (!archive.DataRange(e, pos))
      continue;
    if (pos != e.dataPos || e.headerPos < first || pos < e.headerPos + 30 || pos > source.Size() ||
        e.packedSize > source.Size() - pos)
      __builtin_trap();
    spans.push_back({e.headerPos, pos + e.packedSize});
    std::vector<uint8_t> packed(e.packedSize);
    // The reader vouched for these bytes: failing to read them is a fault.
    if (!archive.ReadAt(pos, packed.data(), e.packedSize))
      __builtin_trap();
    if (e.method == 8)
      Inflate(packed, e.size);
  }
  std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.from < b.from; });
  for (std::size_t i = 1; i < spans.size(); ++i)
    if (spans[i].from < spans[i - 1].to)
      __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  satchel::MemorySource source(data, size);
  uint64_t imageEnd = sfx::ImageEnd(source);
  Check(source, imageEnd);
  if (imageEnd != 0)
    Check(source, 0);
  return 0;
}
