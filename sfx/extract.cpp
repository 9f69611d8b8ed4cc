#include "sfx/extract.h"

#include <windows.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "base/handle.h"
#include "sfx/names.h"
#include "sfx/texts.h"

namespace sfx {
namespace {

using satchel::UniqueFile;

constexpr uint32_t kChunk = 64 * 1024;

struct Item {
  const Entry *entry;
  std::wstring name, relative;
  bool isFolder;
};

// Creates `path` and every missing folder above it; false leaves the code
// of the failure in GetLastError.
bool MakeFolders(const std::wstring &path) {
  DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES) {
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
      return true;
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
  }
  std::size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':' && !MakeFolders(path.substr(0, cut)))
    return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

FILETIME EntryTime(const Entry &e) {
  FILETIME ft = {};
  if (e.hasUnixTime) {
    uint64_t t = (uint64_t(e.unixTime + 11644473600LL)) * 10000000ULL;
    ft.dwLowDateTime = DWORD(t);
    ft.dwHighDateTime = DWORD(t >> 32);
  } else {
    FILETIME local;
    if (DosDateTimeToFileTime(e.dosDate, e.dosTime, &local))
      LocalFileTimeToFileTime(&local, &ft);
  }
  return ft;
}

class Unpacker {
public:
  Unpacker(const Archive &a, Sink &sink, uint64_t total) : archive_(a), sink_(sink), total_(total) {}

  // Decompresses one entry into `out` (none when testing) and checks its
  // size and CRC. Answers kMsgCount on success, kCancelled when cancelled, else
  // the problem; `winError` carries a failed write's code.
  Msg Run(const Item &item, HANDLE out, DWORD &winError) {
    const Entry &e = *item.entry;
    uint64_t pos;
    if (e.flags & 1)
      return kEncrypted;
    if (e.method != 0 && e.method != 8)
      return kMethod;
    if (!archive_.DataRange(e, pos) || (e.method == 0 && e.packedSize != e.size))
      return kBadData;
    z_stream z = {};
    if (e.method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK)
      return kBadData;
    Msg result = Pump(item, pos, out, z, winError);
    if (e.method == 8)
      inflateEnd(&z);
    done_ += e.packedSize;
    return result;
  }

private:
  Msg Pump(const Item &item, uint64_t pos, HANDLE out, z_stream &z, DWORD &winError) {
    const Entry &e = *item.entry;
    uint32_t left = e.packedSize, crc = 0;
    uint64_t produced = 0;
    bool ended = e.method == 0;
    uint64_t started = done_;
    for (;;) {
      if (sink_.Cancelled())
        return kCancelled;
      sink_.Progress(started + (e.packedSize - left), total_, item.name);
      uint32_t n = left < kChunk ? left : kChunk;
      if (n && !archive_.ReadAt(pos, in_, n))
        return kBadData;
      pos += n;
      left -= n;
      const Bytef *data = in_;
      uInt have = n;
      z.next_in = in_;
      z.avail_in = n;
      do {
        if (e.method == 8 && !ended) {
          z.next_out = out_;
          z.avail_out = kChunk;
          int rc = inflate(&z, Z_NO_FLUSH);
          if (rc == Z_STREAM_END)
            ended = true;
          else if (rc != Z_OK && rc != Z_BUF_ERROR)
            return kBadData;
          data = out_;
          have = kChunk - z.avail_out;
          if (rc == Z_BUF_ERROR && have == 0)
            break;
        } else if (e.method == 8) {
          break; // bytes after the end of the stream are not ours
        }
        // The stored size is a claim: never produce more than it says.
        if (have > e.size - produced)
          return kBadSize;
        produced += have;
        crc = crc32(crc, data, have);
        DWORD wrote;
        if (out != INVALID_HANDLE_VALUE && have && (!WriteFile(out, data, have, &wrote, nullptr) || wrote != have)) {
          winError = GetLastError();
          return kWriteFailed;
        }
        have = 0;
      } while (e.method == 8 && !ended && (z.avail_in || z.avail_out == 0));
      if (left == 0 || (e.method == 8 && ended))
        break;
    }
    if (!ended)
      return kBadData;
    if (produced != e.size)
      return kBadSize;
    return crc == e.crc ? kMsgCount : kBadCrc;
  }

  const Archive &archive_;
  Sink &sink_;
  uint64_t total_, done_ = 0;
  Bytef in_[kChunk], out_[kChunk];
};

} // namespace

Outcome Extract(const Archive &archive, const Options &options, Sink &sink) {
  Outcome outcome;
  std::vector<Item> items;
  uint64_t total = 0;
  // Every name is checked before anything is written: an archive that tries
  // to reach outside the folder is not partly unpacked.
  for (const Entry &e : archive.Entries()) {
    Item item{&e, DecodeName(e), {}, false};
    Msg refusal = CheckName(item.name, item.relative, item.isFolder);
    if (refusal != kMsgCount) {
      sink.Report(Format(refusal, {item.name}));
      outcome.refused = true;
    }
    item.isFolder = item.isFolder || (e.externalAttrs & FILE_ATTRIBUTE_DIRECTORY);
    total += e.packedSize;
    items.push_back(std::move(item));
  }
  if (outcome.refused) {
    sink.Report(Format(kRefused));
    return outcome;
  }

  std::wstring base;
  if (!options.testOnly) {
    std::vector<wchar_t> full(32768);
    DWORD n = GetFullPathNameW(options.folder.c_str(), DWORD(full.size()), full.data(), nullptr);
    base.assign(full.data(), n && n < full.size() ? n : 0);
    while (base.size() > 3 && base.back() == L'\\')
      base.pop_back();
    if (base.empty() || !MakeFolders(base)) {
      sink.Report(Format(kMkdirFailed, {options.folder, SystemMessage(GetLastError())}));
      outcome.failed++;
      return outcome;
    }
    if (base.back() != L'\\')
      base += L'\\';
  }

  auto unpacker = std::make_unique<Unpacker>(archive, sink, total);
  bool replaceAll = options.overwrite;
  for (const Item &item : items) {
    if (sink.Cancelled()) {
      outcome.cancelled = true;
      break;
    }
    const Entry &e = *item.entry;
    DWORD winError = 0;
    if (item.isFolder) {
      if (!options.testOnly && !MakeFolders(base + item.relative)) {
        sink.Report(Format(kMkdirFailed, {item.name, SystemMessage(GetLastError())}));
        outcome.failed++;
      } else {
        outcome.folders++;
      }
      continue;
    }
    if (options.testOnly) {
      Msg m = unpacker->Run(item, INVALID_HANDLE_VALUE, winError);
      if (m == kCancelled) {
        outcome.cancelled = true;
        break;
      }
      if (m != kMsgCount) {
        sink.Report(Format(m, {item.name}));
        outcome.failed++;
      } else {
        outcome.files++;
      }
      continue;
    }

    std::wstring target = base + item.relative;
    std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    if (!MakeFolders(folder)) {
      sink.Report(Format(kMkdirFailed, {item.name, SystemMessage(GetLastError())}));
      outcome.failed++;
      continue;
    }
    DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
      if (existing & FILE_ATTRIBUTE_DIRECTORY) {
        sink.Report(Format(kIsDir, {item.name}));
        outcome.failed++;
        continue;
      }
      Answer a = replaceAll ? Answer::Yes : sink.AskOverwrite(target);
      if (a == Answer::Cancel) {
        outcome.cancelled = true;
        break;
      }
      if (a == Answer::No) {
        sink.Report(Format(kSkipped, {item.name}));
        outcome.skipped++;
        continue;
      }
      replaceAll = replaceAll || a == Answer::All;
    }

    // The data goes to a temporary file beside the target, which takes the
    // real name only once size and CRC are right.
    wchar_t temp[MAX_PATH + 1];
    if (!GetTempFileNameW(folder.c_str(), L"sfx", 0, temp)) {
      sink.Report(Format(kWriteFailed, {item.name, SystemMessage(GetLastError())}));
      outcome.failed++;
      continue;
    }
    Msg m;
    {
      UniqueFile out(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!out) {
        winError = GetLastError();
        m = kWriteFailed;
      } else {
        m = unpacker->Run(item, out.get(), winError);
        FILETIME ft = EntryTime(e);
        if (m == kMsgCount && (ft.dwLowDateTime || ft.dwHighDateTime))
          SetFileTime(out.get(), nullptr, nullptr, &ft);
      }
    }
    if (m == kMsgCount) {
      if (existing != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        winError = GetLastError();
        m = kWriteFailed;
      }
    }
    if (m != kMsgCount) {
      DeleteFileW(temp);
      if (m == kCancelled) {
        outcome.cancelled = true;
        break;
      }
      sink.Report(m == kWriteFailed ? Format(m, {item.name, SystemMessage(winError)}) : Format(m, {item.name}));
      outcome.failed++;
      continue;
    }
    DWORD attrs = e.externalAttrs &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesW(target.c_str(), attrs ? attrs : FILE_ATTRIBUTE_NORMAL);
    outcome.files++;
  }
  sink.Progress(total, total, L"");
  return outcome;
}

} // namespace sfx
