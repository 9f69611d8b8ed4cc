#include "sfx/extract.h"

#include <windows.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
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

// Windows paths reach at most this long, and only in the long form.
constexpr std::size_t kLongest = 32767;

// Windows compares file names without regard to case, whatever the language.
std::wstring FoldCase(const std::wstring &s) {
  std::wstring out(s);
  if (!out.empty())
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s.data(), int(s.size()), &out[0], int(out.size()));
  return out;
}

struct Claim {
  std::wstring key;
  std::size_t item;
  bool folder;
};

// By key, then by archive order. qsort lives in the C library already; a
// std::sort would add its code to the stub.
int CompareClaims(const void *a, const void *b) {
  const Claim &x = **static_cast<const Claim *const *>(a), &y = **static_cast<const Claim *const *>(b);
  int c = x.key.compare(y.key);
  return c ? c : x.item < y.item ? -1 : x.item > y.item;
}

// Reports every entry that lands on a path an earlier entry already uses: a
// second file would silently replace the first, a file where a folder goes
// (or the reverse) fails halfway. Answers whether there was one.
bool ReportDuplicates(const std::vector<Item> &items, Sink &sink) {
  std::vector<Claim> claims;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::wstring key = FoldCase(items[i].relative);
    // Every folder above an entry is claimed by it too.
    for (std::size_t cut = key.find_last_of(L'\\'); cut != std::wstring::npos; cut = key.find_last_of(L'\\', cut - 1))
      claims.push_back({key.substr(0, cut), i, true});
    claims.push_back({std::move(key), i, items[i].isFolder});
  }
  std::vector<const Claim *> sorted;
  for (const Claim &c : claims)
    sorted.push_back(&c);
  std::qsort(sorted.data(), sorted.size(), sizeof(const Claim *), CompareClaims);
  std::vector<bool> clash(items.size());
  bool any = false;
  for (std::size_t at = 0, end; at < sorted.size(); at = end) {
    std::size_t file = sorted.size();
    for (end = at; end < sorted.size() && sorted[end]->key == sorted[at]->key; ++end)
      if (!sorted[end]->folder && file == sorted.size())
        file = end;
    // Folders may be named any number of times; a file shares its path with nothing.
    if (file == sorted.size() || end - at < 2)
      continue;
    clash[sorted[file == at ? at + 1 : file]->item] = true; // the later of the first clash
    any = true;
  }
  for (std::size_t i = 0; i < items.size(); ++i)
    if (clash[i])
      sink.Report(Format(kDuplicate, {items[i].name}));
  return any;
}

// While a file is written it is marked for deletion, so that a failed check, a
// cancel or a killed process leaves nothing; the mark goes once it is complete.
bool MarkForDeletion(HANDLE file, bool marked) {
  FILE_DISPOSITION_INFO info = {BOOLEAN(marked)};
  return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

HANDLE CreateNew(const std::wstring &path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The entry's time and attributes, set through the open handle.
void SetBasics(HANDLE file, const Entry &e) {
  FILETIME ft = EntryTime(e);
  FILE_BASIC_INFO info = {};
  info.LastWriteTime.LowPart = ft.dwLowDateTime; // 0 leaves the time as it is
  info.LastWriteTime.HighPart = LONG(ft.dwHighDateTime);
  DWORD attrs = e.externalAttrs &
                (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  info.FileAttributes = attrs ? attrs : FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
}

// A failed write, told in the words that fit its cause.
std::wstring WriteFailure(const Item &item, DWORD error) {
  if (error == ERROR_FILENAME_EXCED_RANGE)
    return Format(kTooLong, {item.name});
  return Format(kWriteFailed, {item.name, SystemMessage(error)});
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
  // The closing summary says that the archive was refused.
  if (outcome.refused || ReportDuplicates(items, sink)) {
    outcome.refused = true;
    return outcome;
  }

  // `shown` is the folder as people read it; `base` its long form, for the system.
  std::wstring shown, base;
  if (!options.testOnly) {
    std::vector<wchar_t> full(kLongest + 1);
    DWORD n = GetFullPathNameW(options.folder.c_str(), DWORD(full.size()), full.data(), nullptr);
    shown.assign(full.data(), n && n < full.size() ? n : 0);
    while (shown.size() > 3 && shown.back() == L'\\')
      shown.pop_back();
    // Windows takes the long form as it is, unnormalised: safe here because
    // every name was checked and the folder came from GetFullPathName.
    base = satchel::LongForm(shown);
    if (shown.empty() || !MakeFolders(base)) {
      sink.Report(Format(kMkdirFailed, {options.folder, SystemMessage(GetLastError())}));
      outcome.failed++;
      return outcome;
    }
    if (base.back() != L'\\') {
      base += L'\\';
      shown += L'\\';
    }
  }

  auto unpacker = std::make_unique<Unpacker>(archive, sink, total);
  bool replaceAll = options.overwrite;
  std::wstring made; // the folder the last file went to: it exists
  unsigned long serial = 0;
  for (const Item &item : items) {
    if (sink.Cancelled()) {
      outcome.cancelled = true;
      break;
    }
    const Entry &e = *item.entry;
    DWORD winError = 0;
    if (!options.testOnly && base.size() + item.relative.size() >= kLongest) {
      sink.Report(Format(kTooLong, {item.name}));
      outcome.failed++;
      continue;
    }
    if (item.isFolder) {
      if (!options.testOnly && !MakeFolders(base + item.relative)) {
        DWORD error = GetLastError();
        sink.Report(error == ERROR_FILENAME_EXCED_RANGE ? Format(kTooLong, {item.name})
                                                        : Format(kMkdirFailed, {item.name, SystemMessage(error)}));
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
    std::size_t cut = target.find_last_of(L'\\');
    if (made.size() != cut || target.compare(0, cut, made) != 0) {
      std::wstring folder = target.substr(0, cut);
      if (!MakeFolders(folder)) {
        DWORD error = GetLastError();
        sink.Report(error == ERROR_FILENAME_EXCED_RANGE ? Format(kTooLong, {item.name})
                                                        : Format(kMkdirFailed, {item.name, SystemMessage(error)}));
        outcome.failed++;
        continue;
      }
      made = std::move(folder);
    }

    // A new file is written under its own name at once. One that exists is
    // replaced only once the new data is complete: it is written beside it
    // under a name of our own first.
    UniqueFile out(CreateNew(target));
    std::wstring temp;
    DWORD existing = INVALID_FILE_ATTRIBUTES;
    if (!out) {
      DWORD error = GetLastError();
      existing = GetFileAttributesW(target.c_str());
      if (existing == INVALID_FILE_ATTRIBUTES) {
        sink.Report(WriteFailure(item, error));
        outcome.failed++;
        continue;
      }
      if (existing & FILE_ATTRIBUTE_DIRECTORY) {
        sink.Report(Format(kIsDir, {item.name}));
        outcome.failed++;
        continue;
      }
      Answer a = replaceAll ? Answer::Yes : sink.AskOverwrite(shown + item.relative);
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
      std::wstring tag = made + L"\\~sfx" + Number(GetCurrentProcessId()) + L"-";
      for (int tries = 0; !out && tries < 100; ++tries) {
        temp = tag + Number(serial++) + L".tmp";
        out.reset(CreateNew(temp));
        if (!out && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
          break;
      }
      if (!out) {
        sink.Report(WriteFailure(item, GetLastError()));
        outcome.failed++;
        continue;
      }
    }
    const std::wstring &written = temp.empty() ? target : temp;
    bool marked = MarkForDeletion(out.get(), true);
    Msg m = unpacker->Run(item, out.get(), winError);
    if (m == kMsgCount && marked) {
      marked = !MarkForDeletion(out.get(), false);
      if (marked) {
        winError = GetLastError();
        m = kWriteFailed;
      }
    }
    if (m == kMsgCount)
      SetBasics(out.get(), e);
    out.reset();
    if (m == kMsgCount && !temp.empty()) {
      // A read-only file refuses to be replaced.
      if (existing & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(target.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
      if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        winError = GetLastError();
        m = kWriteFailed;
        SetFileAttributesW(target.c_str(), existing);
      }
    }
    if (m != kMsgCount) {
      if (!marked) { // not gone with its handle
        SetFileAttributesW(written.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(written.c_str());
      }
      if (m == kCancelled) {
        outcome.cancelled = true;
        break;
      }
      sink.Report(m == kWriteFailed ? WriteFailure(item, winError) : Format(m, {item.name}));
      outcome.failed++;
      continue;
    }
    outcome.files++;
  }
  sink.Progress(total, total, L"");
  return outcome;
}

} // namespace sfx
