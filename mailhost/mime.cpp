#include "mailhost/mime.h"

#include "base/text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mailhost {
namespace {

bool IsAscii(const std::string &s) {
  for (unsigned char c : s)
    if (c >= 0x80)
      return false;
  return true;
}

using satchel::AnsiToUtf8;

// RFC 2045 token characters.
bool IsTokenChar(unsigned char c) { return c > 0x20 && c < 0x7F && !std::strchr("()<>@,;:\\\"/[]?=", c); }

std::string Quoted(const std::string &s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\')
      q += '\\';
    q += c;
  }
  return q + "\"";
}

// RFC 2047 encoded words of at most 75 characters, never splitting a UTF-8
// character, joined by folding white space.
std::string EncodedWords(const std::string &utf8) {
  const size_t maxRaw = 42; // 56 base64 characters: with "=?UTF-8?B?", "?=" and
                            // " name=\"" a line stays within 78
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t end = std::min(utf8.size(), i + maxRaw);
    while (end < utf8.size() && end > i && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
      --end;
    std::string b64 = Base64Lines(utf8.substr(i, end - i));
    b64.resize(b64.size() - 2); // one line: drop its CR LF
    if (!out.empty())
      out += "\r\n ";
    out += "=?UTF-8?B?" + b64 + "?=";
    i = end;
  }
  return out;
}

// RFC 2231 extended value, split into numbered sections so that no header
// line grows long: `filename*0*=UTF-8''%E8...;\r\n filename*1*=...`.
std::string ExtendedParameter(const std::string &param, const std::string &utf8) {
  std::vector<std::string> sections(1, "UTF-8''");
  for (unsigned char c : utf8) {
    std::string piece;
    if (IsTokenChar(c) && c != '*' && c != '\'' && c != '%') {
      piece = char(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      piece = hex;
    }
    if (sections.back().size() + piece.size() > 60)
      sections.emplace_back();
    sections.back() += piece;
  }
  if (sections.size() == 1)
    return param + "*=" + sections[0];
  std::string out;
  for (size_t n = 0; n < sections.size(); ++n)
    out += (n ? ";\r\n " : "") + param + "*" + std::to_string(n) + "*=" + sections[n];
  return out;
}

std::string HeaderText(const std::string &ansi) {
  std::string text;
  for (char c : ansi) // a header value is one line
    text += (c == '\r' || c == '\n') ? ' ' : c;
  return IsAscii(text) ? text : EncodedWords(AnsiToUtf8(text));
}

std::string DateHeader() {
  static const char *const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  SYSTEMTIME t;
  GetSystemTime(&t);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02u %s %04u %02u:%02u:%02u +0000", days[t.wDayOfWeek % 7], t.wDay,
                months[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond);
  return buf;
}

bool HasLongLine(const std::string &crlfText) {
  size_t start = 0;
  for (;;) {
    size_t end = crlfText.find("\r\n", start);
    if ((end == std::string::npos ? crlfText.size() : end) - start > 998)
      return true;
    if (end == std::string::npos)
      return false;
    start = end + 2;
  }
}

} // namespace

std::string Base64Lines(const std::string &bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out, line;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size())
      v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size())
      v |= static_cast<unsigned char>(bytes[i + 2]);
    line += digits[(v >> 18) & 63];
    line += digits[(v >> 12) & 63];
    line += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
    line += i + 2 < bytes.size() ? digits[v & 63] : '=';
    if (line.size() == 76) {
      out += line + "\r\n";
      line.clear();
    }
  }
  if (!line.empty())
    out += line + "\r\n";
  return out;
}

std::string SafeMimeType(const std::string &mime) {
  size_t slash = mime.find('/');
  bool ok = slash != std::string::npos && slash > 0 && slash + 1 < mime.size();
  for (size_t i = 0; ok && i < mime.size(); ++i)
    ok = i == slash || IsTokenChar(static_cast<unsigned char>(mime[i]));
  return ok ? mime : "application/octet-stream";
}

std::string FormatMimeMessage(const MimeMessage &m) {
  std::string body = satchel::NormalizeLineBreaks(m.body);
  // The boundary must occur in no part; base64 never holds "=_".
  std::string boundary;
  for (unsigned n = GetTickCount();; ++n) {
    boundary = "=_mailhost_" + std::to_string(n);
    if (body.find(boundary) == std::string::npos)
      break;
  }

  std::string out = "MIME-Version: 1.0\r\n"
                    "From: Mail host <host@localhost>\r\n"
                    "To: " +
                    HeaderText(m.to) + "\r\nSubject: " + HeaderText(m.subject) + "\r\nDate: " + DateHeader() +
                    "\r\nContent-Type: multipart/mixed; boundary=\"" + boundary +
                    "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n";

  out += "\r\n--" + boundary + "\r\n";
  if (IsAscii(body) && !HasLongLine(body)) {
    out += "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + body;
  } else {
    out += "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           Base64Lines(AnsiToUtf8(body));
  }
  if (!out.empty() && out.back() != '\n')
    out += "\r\n";

  for (const MimePart &a : m.attachments) {
    std::string name, disposition;
    if (IsAscii(a.fileName)) {
      name = "name=" + Quoted(a.fileName);
      disposition = "filename=" + Quoted(a.fileName);
    } else {
      std::string utf8 = AnsiToUtf8(a.fileName);
      name = "name=\"" + EncodedWords(utf8) + "\"";
      disposition = ExtendedParameter("filename", utf8);
    }
    out += "\r\n--" + boundary + "\r\nContent-Type: " + SafeMimeType(a.mimeType) + ";\r\n " + name +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n " + disposition + "\r\n\r\n" +
           Base64Lines(a.bytes);
  }
  out += "\r\n--" + boundary + "--\r\n";
  return out;
}

} // namespace mailhost
