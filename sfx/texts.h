// What the self-extractor says, in Japanese on a Japanese system and in
// English elsewhere. Texts are byte strings in the ANSI code page; "%s" marks
// where Format puts its arguments, in order.
#pragma once
#include <initializer_list>
#include <string>

namespace sfx {

enum Msg {
  kTitle,
  kArchiveLabel,
  kFolderLabel,
  kBrowse,
  kExtract,
  kCancel,
  kClose,
  kOpenFolder,
  kBrowseTitle,
  kReady,
  kExtracting,
  kTesting,
  kOverwriteTitle,
  kOverwriteQuestion,
  kYes,
  kNo,
  kYesAll,
  kDone,
  kTested,
  kDoneErrors,
  kKept,
  kCancelled,
  kSkipped,
  kNoArchive,
  kDamaged,
  kMultiDisk,
  kZip64,
  kCannotOpen,
  kRefused,
  kAbsolute,
  kDrive,
  kParent,
  kDevice,
  kStream,
  kBadChar,
  kEmptyName,
  kEncrypted,
  kMethod,
  kBadData,
  kBadCrc,
  kBadSize,
  kWriteFailed,
  kMkdirFailed,
  kIsDir,
  kUsage,
  kTruncated,
  kOverlap,
  kDuplicate,
  kColon,
  kTooLong,
  kMsgCount
};

const char *Text(Msg m);
// The text as UTF-16 with each "%s" replaced by the next argument.
std::wstring Format(Msg m, std::initializer_list<std::wstring> args = {});
// A count in decimal (std::to_wstring would bring the whole printf family).
std::wstring Number(unsigned long n);
// The system's description of a Win32 error code, without the line break.
std::wstring SystemMessage(unsigned long code);

} // namespace sfx
