// Byte-string helpers that respect the ANSI code page: the second byte of a
// double-byte character is never taken for "\", ":" or a line break.
#pragma once
#include <string>
#include <string_view>

namespace satchel {

// Index of the last "\" or ":" that is a character of its own, or npos.
std::size_t LastSeparator(std::string_view path);
// What follows the last "\" or ":" (empty when the path ends with one).
std::string FileNamePart(std::string_view path);
// Everything up to and including the last "\" or ":" (empty when none).
std::string FolderPart(std::string_view path);
// Cuts at the last "." after the last separator and puts `ext` (which begins
// with its own ".") in its place, or appends `ext` when there is no such ".".
std::string ReplaceExt(std::string_view path, std::string_view ext);
// True when the last character of `path` is a "\" of its own.
bool EndsWithBackslash(std::string_view path);
// True when the last character of `path` is a "\" or "/" of its own.
bool EndsWithSeparator(std::string_view path);
// `folder` and `name` with one separator between them (none after an empty
// folder or one that ends with a separator).
std::string JoinPath(std::string_view folder, std::string_view name);
// A full path: a drive letter with its root ("C:\", "C:/") or a UNC name
// ("\\server"). Nothing relative to a current folder or drive qualifies.
bool IsFullPath(std::string_view path);
// Not relative to a given folder: begins with "\" or "/", or names a drive
// ("C:", with or without its root).
bool IsRooted(std::string_view path);
// The settings file of a module: its path with the extension (from the last
// "." of the whole path) replaced by ".ini", or ".ini" appended without one.
std::string SettingsPathFor(std::string_view modulePath);
// Every lone LF and lone CR becomes CR LF; CR LF stays.
std::string NormalizeLineBreaks(std::string_view text);

// Conversions between the ANSI code page and UTF-8/UTF-16.
std::wstring AnsiToWide(std::string_view s, unsigned codePage = 0);
std::string WideToAnsi(std::wstring_view s, unsigned codePage = 0);
std::string WideToUtf8(std::wstring_view s);
std::string AnsiToUtf8(std::string_view s);
// The ANSI form of a name only when it names the same thing: false when the
// code page lacks a character (or would put a look-alike in its place).
bool WideToAnsiExact(std::wstring_view s, std::string &out);
// A path the file functions take whatever its length: long ones in the
// "\\?\" form, made absolute.
std::wstring LongPath(std::wstring_view path);
// The "\\?\" form of a path that is already full, whatever its length.
std::wstring LongForm(std::wstring_view full);
std::wstring Utf8ToWide(std::string_view s);

// The system's text for an error code without its closing line break and
// spaces; empty when the system has none.
std::wstring SystemErrorTextW(unsigned long error);
std::string SystemErrorText(unsigned long error);

} // namespace satchel
