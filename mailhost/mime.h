// The message a compose window holds, written as an Internet message
// (multipart/mixed) that any mail program can open.
#pragma once
#include <string>
#include <vector>

namespace mailhost {

struct MimePart {
  std::string fileName; // ANSI code page bytes, as the plug-in named the file
  std::string mimeType; // "type/subtype"; anything else is sent as octet-stream
  std::string bytes;
};

struct MimeMessage {
  std::string to, subject, body; // ANSI code page texts from the compose window
  std::vector<MimePart> attachments;
};

// The whole message, every line ended by CR LF. Texts are converted from the
// ANSI code page to UTF-8; a non-ASCII file name is given as an RFC 2231
// `filename*` and as an RFC 2047 `name` for readers that know only that.
std::string FormatMimeMessage(const MimeMessage &message);

// Base64 of `bytes` in lines of 76 characters, each ended by CR LF.
std::string Base64Lines(const std::string &bytes);

// `mime` when it is a well-formed "type/subtype" (no parameters, no line
// breaks), else "application/octet-stream": the text comes from a plug-in
// and goes into a header.
std::string SafeMimeType(const std::string &mime);

} // namespace mailhost
