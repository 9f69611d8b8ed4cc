#include "base/files.h"

#include "base/handle.h"
#include "base/text.h"

namespace satchel {
namespace {

std::wstring Wide(std::string_view path) { return LongPath(AnsiToWide(path)); }

DWORD Attributes(std::string_view path) { return GetFileAttributesW(Wide(path).c_str()); }

std::wstring AllOf(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
    folder += L'\\';
  return folder += L'*';
}

// The walk itself, in UTF-16 throughout so that tree removal reaches every
// name whatever the code page.
DWORD ForEachWide(const std::wstring &pattern, const std::function<void(const WIN32_FIND_DATAW &)> &visit) {
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(LongPath(pattern).c_str(), &fd));
  if (!find) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : e;
  }
  do {
    std::wstring_view name = fd.cFileName;
    if (name != L"." && name != L"..")
      visit(fd);
  } while (FindNextFileW(find.get(), &fd));
  return ERROR_SUCCESS;
}

void RemoveWide(const std::wstring &folder) {
  ForEachWide(AllOf(folder), [&](const WIN32_FIND_DATAW &fd) {
    std::wstring path = folder + L"\\" + fd.cFileName;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveWide(path);
    } else {
      std::wstring full = LongPath(path);
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(full.c_str());
    }
  });
  RemoveDirectoryW(LongPath(folder).c_str());
}

} // namespace

bool Exists(std::string_view path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(std::string_view path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(std::string_view path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD ForEachMatch(std::string_view pattern, const std::function<void(const FolderEntry &)> &visit) {
  return ForEachWide(AnsiToWide(pattern), [&](const WIN32_FIND_DATAW &fd) {
    FolderEntry e{fd.cFileName, {}, true, fd.dwFileAttributes};
    if (!WideToAnsiExact(e.wideName, e.name)) {
      e.exact = false;
      e.name = WideToAnsi(e.wideName);
    }
    visit(e);
  });
}

DWORD ForEachEntry(std::string_view folder, const std::function<void(const FolderEntry &)> &visit) {
  return ForEachMatch(JoinPath(folder, "*"), visit);
}

bool RemoveTree(std::string_view folder) noexcept {
  try {
    std::wstring wide = AnsiToWide(folder);
    while (!wide.empty() && (wide.back() == L'\\' || wide.back() == L'/'))
      wide.pop_back();
    if (wide.empty())
      return false;
    RemoveWide(wide);
    return GetFileAttributesW(LongPath(wide).c_str()) == INVALID_FILE_ATTRIBUTES;
  } catch (...) {
    return false; // out of memory: what is left stays
  }
}

bool CreateFolder(std::string_view folder) {
  if (folder.empty())
    return false;
  if (IsFolder(folder))
    return true;
  std::size_t sep = LastSeparator(folder);
  // A separator at the end, or one that follows only a drive, adds nothing.
  if (sep != std::string_view::npos && sep + 1 == folder.size())
    return CreateFolder(folder.substr(0, sep));
  if (sep != std::string_view::npos && sep > 0 && folder[sep - 1] != ':' && folder[sep] == '\\' &&
      !CreateFolder(folder.substr(0, sep)))
    return false;
  return CreateDirectoryW(Wide(folder).c_str(), nullptr) || IsFolder(folder);
}

std::string TempFolderPath() {
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  return n == 0 || n > MAX_PATH ? std::string() : std::string(temp, n);
}

std::string MakeUniqueFolder(std::string_view parent, std::string_view prefix) {
  std::string stem = JoinPath(parent, prefix) + std::to_string(GetCurrentProcessId()) + "-";
  // The tick count spreads folders of several runs; the counter settles ties.
  for (unsigned i = 0; i < 1000; ++i) {
    std::string dir = stem + std::to_string(GetTickCount() + i);
    if (CreateDirectoryW(Wide(dir).c_str(), nullptr))
      return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  return {};
}

} // namespace satchel
