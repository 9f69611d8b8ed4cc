#include "sfx/names.h"

#include "base/text.h"

namespace sfx {

std::wstring DecodeName(const Entry &e) {
  if (!e.utf8Name.empty())
    return satchel::Utf8ToWide(e.utf8Name);
  return satchel::AnsiToWide(e.rawName);
}
} // namespace sfx
