// Feeds arbitrary files to ZIP32.DLL's reader of an archive being updated. A
// damaged archive must end in ZipError; whatever it accepts is copied byte for
// byte later, so every entry must lie inside the file and apart from the rest.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "zip32/zipformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  satchel::MemorySource source(data, size);
  zip32::OldArchive old;
  try {
    old = zip32::ReadArchive(source, "fuzz.zip");
  } catch (const zip32::ZipError &e) {
    if (e.code != zip32::kStructure)
      __builtin_trap();
    return 0;
  }
  std::vector<const zip32::OldEntry *> order;
  for (const zip32::OldEntry &e : old.entries) {
    const auto &c = e.central;
    if (c.size() < 46 || zip32::Get32(c.data()) != zip32::kCentralSig)
      __builtin_trap();
    std::size_t nameLen = zip32::Get16(&c[28]);
    if (c.size() != 46 + nameLen + zip32::Get16(&c[30]) + zip32::Get16(&c[32]) ||
        e.name != std::string(c.begin() + 46, c.begin() + 46 + nameLen))
      __builtin_trap();
    // The copy takes the local header, the packed data and any descriptor.
    if (e.start > size || e.length > size - e.start || e.length < 30 + uint64_t(zip32::Get32(&c[20])))
      __builtin_trap();
    if (zip32::Get32(data + e.start) != zip32::kLocalSig)
      __builtin_trap();
    order.push_back(&e);
  }
  std::sort(order.begin(), order.end(), [](auto *a, auto *b) { return a->start < b->start; });
  for (std::size_t i = 1; i < order.size(); ++i)
    if (order[i]->start < order[i - 1]->start + order[i - 1]->length)
      __builtin_trap();
  return 0;
}
