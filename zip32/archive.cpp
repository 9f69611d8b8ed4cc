#include "zip32/archive.h"

#include "base/filesource.h"
#include "base/handle.h"
#include "base/text.h"
#include "zip32/deflater.h"
#include "zip32/names.h"
#include "zip32/output.h"
#include "zip32/zipformat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace zip32 {
namespace {

using satchel::UniqueFile;

constexpr std::uint64_t kMaxFile = 0xffffffffull;
constexpr std::size_t kMaxEntries = 0xffff;

using satchel::AnsiToUtf8;

bool HasHighBytes(const std::string &s) {
  for (unsigned char c : s)
    if (c > 0x7f)
      return true;
  return false;
}

// Names of files that are compressed already; Info-ZIP stores them below level 9.
bool CompressedByName(const std::string &name) {
  static const char *const kSuffixes[] = {".z", ".zip", ".zoo", ".arc", ".lzh", ".arj"};
  for (const char *suffix : kSuffixes) {
    std::size_t n = std::strlen(suffix);
    if (name.size() > n && lstrcmpiA(name.c_str() + name.size() - n, suffix) == 0)
      return true;
  }
  return false;
}

// Share of bytes saved, rounded to the nearest percent.
int Percent(std::uint64_t in, std::uint64_t out) { return in > out ? int((200 * (in - out) / in + 1) / 2) : 0; }

void ToDos(const FILETIME &utc, EntryInfo &e) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToDosDateTime(&local, &date, &time)) {
    e.dosDate = date;
    e.dosTime = time;
  } else { // before 1980 or past 2107: the earliest DOS date
    e.dosDate = 0x21;
    e.dosTime = 0;
  }
}

// Names as the file functions take them, whatever their length.
std::wstring WidePath(const std::string &path) { return satchel::LongPath(satchel::AnsiToWide(path)); }

std::wstring FullPath(const std::string &path) {
  std::wstring wide = satchel::AnsiToWide(path);
  DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(n, L'\0');
  if (!n || !(n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr)) || n >= full.size())
    return wide;
  full.resize(n);
  return full;
}

bool SamePath(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) == CSTR_EQUAL;
}

// What keeps a file from being read, in words that say what to do about it.
std::string OpenFailure(const std::string &path) {
  switch (GetLastError()) {
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    return "File in use by another program (" + path + ")";
  case ERROR_ACCESS_DENIED:
    return "No permission to read the file (" + path + ")";
  default:
    return "File not found or no read permission (" + path + ")";
  }
}

// The temporary archive "ziXXXXXX.tmp" beside the target; removed unless it
// was moved into place. Its name is made here rather than by
// GetTempFileName, which fills a MAX_PATH buffer.
class TempFile {
public:
  ~TempFile() {
    file.reset();
    if (!path.empty())
      DeleteFileW(WidePath(path).c_str());
  }
  void Create(const std::string &folder) {
    static const char kDigits[] = "0123456789ABCDEF";
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 12) ^ GetCurrentThreadId();
    for (DWORD attempt = 0; attempt < 1000; ++attempt) {
      std::string candidate = folder + "zi";
      for (DWORD v = seed + attempt * 7919, i = 0; i < 6; ++i, v >>= 4)
        candidate += kDigits[v & 15];
      candidate += ".tmp";
      file.reset(
          CreateFileW(WidePath(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
      if (file) {
        path = candidate;
        return;
      }
      if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
        throw ZipError{kTemp, "Temporary file failure (" + candidate + ")"};
    }
    throw ZipError{kTemp, "Temporary file failure (" + folder + "zi*.tmp)"};
  }
  std::string path;
  UniqueFile file;
};

// A piece of input on its way through the deflater, in list order.
struct Work {
  std::size_t item = 0;
  bool first = true;
  Block block;
  std::shared_ptr<UniqueFile> file; // kept for a second, stored pass
  std::optional<ZipError> error;
  FILETIME written{};
  DWORD attributes = 0;
};

class Archiver {
public:
  Archiver(const ZPOPT &o, const ZIPUSERFUNCTIONS &c) : opt_(o), cb_(c) {}
  int Run(const ZCL &zcl);

private:
  void Print(const std::string &s);
  void Refuse(bool set, const char *what);
  void Collect(const ZCL &zcl);
  void CopyOld(const satchel::ByteSource &old, const OldEntry &e);
  std::unique_ptr<Work> Read();
  void Consume(Work &w);
  void Finish(Work &w);
  void Restore(Work &w);

  const ZPOPT opt_;
  const ZIPUSERFUNCTIONS cb_;
  std::string zipName_;
  int level_ = 6;
  std::vector<Item> items_;
  std::set<std::string> replacing_;
  std::unique_ptr<Output> out_;
  std::vector<Bytes> central_;
  FILETIME latest_{};

  // reading, ahead of writing
  std::size_t nextItem_ = 0;
  bool readFailed_ = false;
  struct Source {
    std::size_t item;
    std::shared_ptr<UniqueFile> file;
    std::uint64_t size, done;
    Bytes tail;
  };
  std::optional<Source> source_;

  // the entry being written
  EntryInfo entry_;
  std::uint64_t localStart_ = 0, dataStart_ = 0, usize_ = 0, csize_ = 0;
  bool provisional_ = false; // the local header awaits the sizes and CRC
};

void Archiver::Print(const std::string &s) {
  if (!cb_.print || opt_.fQuiet) // errors are printed apart, always
    return;
  std::string copy = s; // the callback takes a writable buffer
  cb_.print(copy.data(), static_cast<unsigned long>(copy.size()));
}

void Archiver::Refuse(bool set, const char *what) {
  if (set)
    throw ZipError{kArguments, std::string("Invalid command arguments (") + what + " not supported)"};
}

void Archiver::Collect(const ZCL &zcl) {
  NameRules rules;
  rules.root = opt_.szRootDir ? opt_.szRootDir : "";
  rules.junkFolders = opt_.fJunkDir != 0;
  rules.recurse = opt_.fRecurse == 1;
  rules.folderEntries = !opt_.fNoDirEntries;
  rules.hiddenFiles = opt_.fSystem != 0;
  std::vector<Item> found;
  for (int i = 0; i < zcl.argc; ++i) {
    if (!zcl.FNV[i] || !*zcl.FNV[i])
      continue;
    try {
      Expand(rules, zcl.FNV[i], found);
    } catch (const MissingName &m) {
      throw ZipError{kOpen, "File not found or no read permission (" + m.name + ")"};
    } catch (const UnrepresentableName &m) {
      throw ZipError{kOpen, "File name has characters the system code page cannot hold (" + m.name + ")"};
    }
  }
  // As Info-ZIP: the archive being written is never one of its own entries
  // (a second run over the same folder would otherwise take in the first).
  std::wstring self = FullPath(zipName_);
  std::map<std::string, std::string> seen; // stored name -> path
  for (auto &item : found) {
    if (item.stored.empty() || (!item.folder && SamePath(FullPath(item.path), self)))
      continue;
    auto [at, fresh] = seen.emplace(item.stored, item.path);
    if (fresh)
      items_.push_back(std::move(item));
    else if (lstrcmpiA(at->second.c_str(), item.path.c_str()) != 0)
      throw ZipError{kArguments, "Invalid command arguments (cannot repeat names in zip file: " + item.stored + ")"};
  }
}

void Archiver::CopyOld(const satchel::ByteSource &old, const OldEntry &e) {
  Bytes central = e.central;
  std::uint32_t offset = std::uint32_t(out_->Position());
  for (int i = 0; i < 4; ++i)
    central[42 + i] = std::uint8_t(offset >> (8 * i));
  Bytes buf(std::min<std::uint64_t>(e.length, kBlockSize));
  for (std::uint64_t at = e.start, left = e.length; left;) {
    std::uint32_t want = std::uint32_t(std::min<std::uint64_t>(left, buf.size()));
    if (!old.ReadAt(at, buf.data(), want))
      throw ZipError{kRead, "Input file read failure (" + zipName_ + ")"};
    out_->Write(buf.data(), want);
    at += want;
    left -= want;
  }
  central_.push_back(std::move(central));
  FILETIME local, utc;
  if (DosDateTimeToFileTime(Get16(&e.central[14]), Get16(&e.central[12]), &local) &&
      LocalFileTimeToFileTime(&local, &utc) && CompareFileTime(&utc, &latest_) > 0)
    latest_ = utc;
}

// The next block of input in list order, or null when everything was read.
// A failure travels inside the work so that it surfaces in order.
std::unique_ptr<Work> Archiver::Read() {
  if (readFailed_)
    return nullptr;
  auto w = std::make_unique<Work>();
  auto fail = [&](int code, const std::string &text) {
    w->error = ZipError{code, text};
    readFailed_ = true;
    source_.reset();
    return std::move(w);
  };
  if (!source_) {
    if (nextItem_ == items_.size())
      return nullptr;
    const Item &item = items_[nextItem_];
    w->item = nextItem_++;
    if (item.folder) {
      WIN32_FILE_ATTRIBUTE_DATA fa;
      if (!GetFileAttributesExW(WidePath(item.path).c_str(), GetFileExInfoStandard, &fa))
        return fail(kOpen, OpenFailure(item.path));
      w->attributes = fa.dwFileAttributes;
      w->written = fa.ftLastWriteTime;
      return w;
    }
    auto file = std::make_shared<UniqueFile>(CreateFileW(WidePath(item.path).c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!*file || !GetFileInformationByHandle(file->get(), &info))
      return fail(kOpen, OpenFailure(item.path));
    std::uint64_t size = std::uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if (size >= kMaxFile)
      return fail(kTooBig, "File too large: 4 GiB or more is not supported (" + item.path + ")");
    w->attributes = info.dwFileAttributes;
    w->written = info.ftLastWriteTime;
    source_ = Source{w->item, std::move(file), size, 0, {}};
  } else {
    w->item = source_->item;
    w->first = false;
  }
  Source &s = *source_;
  const Item &item = items_[s.item];
  std::size_t want = std::size_t(std::min<std::uint64_t>(kBlockSize, s.size - s.done));
  w->block.input.resize(want);
  DWORD got = 0;
  if (want && (!ReadFile(s.file->get(), w->block.input.data(), DWORD(want), &got, nullptr) || got != want))
    return fail(kRead, "Input file read failure (" + item.path + ")");
  w->block.dictionary = s.tail;
  w->block.deflate = level_ > 0 && !(level_ < 9 && CompressedByName(item.stored)) && s.size > 0;
  s.done += want;
  w->block.last = s.done == s.size;
  w->file = s.file;
  if (w->block.last) {
    source_.reset();
  } else {
    Bytes &t = s.tail;
    t.insert(t.end(), w->block.input.end() - std::min(want, kWindow), w->block.input.end());
    if (t.size() > kWindow)
      t.erase(t.begin(), t.end() - kWindow);
  }
  return w;
}

void Archiver::Consume(Work &w) {
  if (w.error)
    throw *w.error;
  const Item &item = items_[w.item];
  if (w.block.failed)
    throw ZipError{kMemory, "Out of memory (" + item.path + ")"};
  if (w.first) {
    Print((replacing_.count(item.stored) ? "updating: " : "  adding: ") + item.stored);
    entry_ = EntryInfo{};
    entry_.name = item.stored;
    if (HasHighBytes(item.stored))
      entry_.extra = UnicodePathField(item.stored, AnsiToUtf8(item.stored));
    // A one-block file is stored at once when deflating did not shrink it.
    bool deflated = w.block.deflate && (!w.block.last || w.block.output.size() < w.block.input.size());
    entry_.method = deflated ? 8 : 0;
    entry_.attributes = w.attributes & 0x3f;
    ToDos(w.written, entry_);
    if (CompareFileTime(&w.written, &latest_) > 0)
      latest_ = w.written;
    localStart_ = out_->Position();
    entry_.offset = std::uint32_t(localStart_);
    // A one-block file is known in full: its header is written final, which
    // spares going back to it (and flushing) for each small file.
    provisional_ = !w.block.last;
    if (!provisional_) {
      entry_.crc = w.block.crc;
      entry_.usize = std::uint32_t(w.block.input.size());
      entry_.csize = std::uint32_t(entry_.method == 8 ? w.block.output.size() : w.block.input.size());
    }
    out_->Write(LocalHeader(entry_));
    entry_.crc = 0;
    dataStart_ = out_->Position();
    usize_ = csize_ = 0;
  }
  const Bytes &data = entry_.method == 8 ? w.block.output : w.block.input;
  out_->Write(data);
  entry_.crc = std::uint32_t(crc32_combine(entry_.crc, w.block.crc, z_off_t(w.block.input.size())));
  usize_ += w.block.input.size();
  csize_ += data.size();
  if (w.block.last)
    Finish(w);
}

// A file deflated block by block that did not shrink is written again, stored.
void Archiver::Restore(Work &w) {
  const Item &item = items_[w.item];
  out_->Truncate(dataStart_);
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(w.file->get(), zero, nullptr, FILE_BEGIN))
    throw ZipError{kRead, "Input file read failure (" + item.path + ")"};
  Bytes buf(kBlockSize);
  std::uint32_t crc = 0;
  for (std::uint64_t left = usize_; left;) {
    DWORD want = DWORD(std::min<std::uint64_t>(left, buf.size())), got = 0;
    if (!ReadFile(w.file->get(), buf.data(), want, &got, nullptr) || got != want)
      throw ZipError{kRead, "Input file read failure (" + item.path + ")"};
    crc = std::uint32_t(crc32(crc, buf.data(), got));
    out_->Write(buf.data(), got);
    left -= got;
  }
  if (crc != entry_.crc)
    throw ZipError{kRead, "Input file read failure: file changed while zipping (" + item.path + ")"};
  entry_.method = 0;
  csize_ = usize_;
}

void Archiver::Finish(Work &w) {
  const Item &item = items_[w.item];
  if (entry_.method == 8 && csize_ >= usize_)
    Restore(w);
  entry_.usize = std::uint32_t(usize_);
  entry_.csize = std::uint32_t(csize_);
  if (provisional_)
    out_->Patch(localStart_, LocalHeader(entry_));
  central_.push_back(CentralHeader(entry_));
  Print(entry_.method == 8 ? " (deflated " + std::to_string(Percent(usize_, csize_)) + "%)\n" : " (stored 0%)\n");
  if (cb_.ServiceApplication && cb_.ServiceApplication(item.stored.c_str(), static_cast<unsigned long>(usize_)))
    throw ZipError{kInterrupted, "Interrupted (aborting)"};
}

int Archiver::Run(const ZCL &zcl) {
  if (!zcl.lpszZipFN || !*zcl.lpszZipFN)
    throw ZipError{kArguments, "Invalid command arguments (no zip file name)"};
  zipName_ = zcl.lpszZipFN;
  Refuse(opt_.fEncrypt, "encryption");
  Refuse(opt_.fVolume, "volume labels");
  Refuse(opt_.fCRLF_LF || opt_.fLF_CRLF, "line end translation");
  Refuse(opt_.fForce, "forcing DOS names");
  Refuse(opt_.fMove, "moving files");
  Refuse(opt_.fDeleteEntries, "deleting entries");
  Refuse(opt_.fUpdate, "updating only changed files");
  Refuse(opt_.fFreshen, "freshening");
  Refuse(opt_.fJunkSFX, "removing self-extractor stubs");
  Refuse(opt_.fOffsets, "adjusting self-extractor offsets");
  Refuse(opt_.fPrivilege, "storing security information");
  Refuse(opt_.fExcludeDate || opt_.fIncludeDate, "date filtering");
  Refuse(opt_.fRepair != 0, "repairing archives");
  Refuse(opt_.fRecurse == 2, "recursing by pattern");
  if (opt_.fLevel >= '0' && opt_.fLevel <= '9')
    level_ = opt_.fLevel - '0';
  else if (opt_.fLevel != 0)
    throw ZipError{kArguments, "Invalid command arguments (compression level)"};
  if (zcl.argc <= 0 || !zcl.FNV)
    throw ZipError{kNothing, "Nothing to do! (" + zipName_ + ")"};

  Collect(zcl);
  if (items_.empty())
    throw ZipError{kNothing, "Nothing to do! (" + zipName_ + ")"};

  // An archive that exists is merged: entries named again are replaced.
  satchel::FileSource old(UniqueFile(
      CreateFileW(WidePath(zipName_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
  satchel::ReadAhead oldBytes(old); // headers and entries are read in order
  OldArchive existing;
  if (old.IsOpen()) {
    if (old.Size() > 0)
      existing = ReadArchive(oldBytes, zipName_);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) {
    throw ZipError{kOpen, "Could not open zip file (" + zipName_ + ")"};
  }
  std::set<std::string> named;
  for (const auto &item : items_)
    named.insert(item.stored);
  std::size_t kept = 0;
  for (const auto &e : existing.entries)
    named.count(e.name) ? (void)replacing_.insert(e.name) : (void)++kept;
  if (kept + items_.size() > kMaxEntries)
    throw ZipError{kTooBig, "Too many entries: more than 65535 is not supported (" + zipName_ + ")"};

  std::string comment = existing.comment;
  if (opt_.fComment && cb_.comment) {
    std::vector<char> buf(0x10000, '\0');
    cb_.comment(buf.data());
    buf.back() = '\0';
    comment = buf.data();
  }

  TempFile temp;
  temp.Create(satchel::FolderPart(zipName_));
  out_ = std::make_unique<Output>(temp.file.get(), zipName_);

  for (const auto &e : existing.entries)
    if (!named.count(e.name))
      CopyOld(oldBytes, e);
  old = satchel::FileSource();

  // Reading and writing stay on this thread, in list order, so every
  // callback does too; a bounded window of blocks is deflated meanwhile.
  // The window is declared first so that the pool's workers are gone
  // before the blocks they may still hold.
  std::deque<std::unique_ptr<Work>> window;
  DeflatePool pool(level_, std::min(8u, std::thread::hardware_concurrency()));
  const std::size_t limit = 4 * std::max(1u, pool.Threads());
  for (bool more = true;;) {
    while (more && window.size() < limit) {
      auto w = Read();
      if (!w) {
        more = false;
      } else {
        if (!w->error)
          pool.Submit(w->block);
        window.push_back(std::move(w));
      }
    }
    if (window.empty())
      break;
    Work &w = *window.front();
    if (!w.error)
      pool.Wait(w.block);
    Consume(w);
    window.pop_front();
  }

  std::uint64_t cdStart = out_->Position();
  for (const auto &c : central_)
    out_->Write(c);
  std::uint64_t cdSize = out_->Position() - cdStart;
  out_->Write(EndRecord(central_.size(), std::uint32_t(cdSize), std::uint32_t(cdStart), comment));
  out_->Flush();
  if (opt_.fLatestTime)
    SetFileTime(temp.file.get(), nullptr, nullptr, &latest_);
  temp.file.reset();
  if (!MoveFileExW(WidePath(temp.path).c_str(), WidePath(zipName_).c_str(), MOVEFILE_REPLACE_EXISTING))
    throw ZipError{kCreate, "Could not create output file (" + zipName_ + ")"};
  temp.path.clear();
  return kOk;
}

void PrintError(const ZIPUSERFUNCTIONS &callbacks, std::string text) {
  if (callbacks.print)
    callbacks.print(text.data(), static_cast<unsigned long>(text.size()));
}

} // namespace

int RunArchive(const ZPOPT &options, const ZIPUSERFUNCTIONS &callbacks, const ZCL &zcl) {
  try {
    Archiver a(options, callbacks);
    return a.Run(zcl);
  } catch (const ZipError &e) {
    PrintError(callbacks, "\nzip error: " + e.text + "\n");
    return e.code;
  } catch (const std::bad_alloc &) {
    PrintError(callbacks, "\nzip error: Out of memory\n");
    return kMemory;
  }
}

} // namespace zip32
