#include "sfx/texts.h"

#include <windows.h>

#include "base/text.h"

namespace sfx {
namespace {

const char *const kEnglish[kMsgCount] = {
    "Self-extracting archive",
    "Archive:",
    "Extract to:",
    "&Browse...",
    "&Extract",
    "Cancel",
    "Close",
    "&Open folder",
    "Choose the folder to extract to.",
    "%s entries, ready to extract.",
    "Extracting %s",
    "Testing %s",
    "Confirm overwrite",
    "%s already exists.\r\nReplace it?",
    "&Yes",
    "&No",
    "Yes to &all",
    "%s files extracted to %s.",
    "%s files tested, no errors.",
    "Finished with %s errors.",
    "%s existing files kept.",
    "Cancelled.",
    "%s exists; not replaced.",
    "No archive is attached to this program.",
    "The archive is damaged: its directory cannot be read.",
    "Archives split over several disks are not supported.",
    "ZIP64 archives (4 GiB or more) are not supported.",
    "Cannot read the program file %s.",
    "The archive holds unsafe names and was refused; nothing was extracted.",
    "%s: absolute path refused.",
    "%s: drive letter refused.",
    "%s: \"..\" in the path refused.",
    "%s: device name refused.",
    "%s: \":\" (alternate data stream) refused.",
    "%s: invalid character in the name.",
    "%s: empty name refused.",
    "%s: encrypted entries are not supported.",
    "%s: unsupported compression method.",
    "%s: damaged data, not extracted.",
    "%s: CRC error, not extracted.",
    "%s: wrong size, not extracted.",
    "%s: cannot write: %s",
    "%s: cannot create the folder: %s",
    "%s: a folder of that name exists.",
    "Usage: %s [-d folder] [-t] [-o] [-q]\r\n"
    "  -d folder  extract into the folder without asking\r\n"
    "  -t         test the archive only\r\n"
    "  -o         replace existing files without asking\r\n"
    "  -q         show no window",
    "The archive is incomplete: its end is missing (the file was cut short).",
    "The archive is damaged or forged: the data of its entries overlap; nothing was extracted.",
    "%s: the name appears more than once in the archive.",
    "%s: \":\" refused (a drive letter or an alternate data stream).",
    "%s: the path is too long to be created.",
};

const char *const kJapanese[kMsgCount] = {
    "自己解凍書庫",
    "書庫:",
    "展開先:",
    "参照(&B)...",
    "展開(&E)",
    "キャンセル",
    "閉じる",
    "フォルダを開く(&O)",
    "展開先のフォルダを選んでください。",
    "%s 個の項目を展開できます。",
    "%s を展開しています",
    "%s を検査しています",
    "上書きの確認",
    "%s は既にあります。\r\n置き換えますか?",
    "はい(&Y)",
    "いいえ(&N)",
    "すべて置き換え(&A)",
    "%s 個のファイルを %s に展開しました。",
    "%s 個のファイルを検査しました。エラーはありません。",
    "%s 件のエラーがありました。",
    "既にあった %s 個のファイルはそのままです。",
    "中止しました。",
    "%s は既にあるため置き換えませんでした。",
    "このプログラムには書庫が付いていません。",
    "書庫が壊れています。ディレクトリを読めません。",
    "複数のディスクに分かれた書庫には対応していません。",
    "ZIP64 形式 (4 GiB 以上) の書庫には対応していません。",
    "プログラムファイル %s を読めません。",
    "書庫に危険な名前があるため拒否しました。何も展開していません。",
    "%s: 絶対パスは拒否しました。",
    "%s: ドライブ名は拒否しました。",
    "%s: パス中の \"..\" は拒否しました。",
    "%s: デバイス名は拒否しました。",
    "%s: \":\" (代替データストリーム) は拒否しました。",
    "%s: 名前に使えない文字があります。",
    "%s: 空の名前は拒否しました。",
    "%s: 暗号化された項目には対応していません。",
    "%s: 対応していない圧縮方式です。",
    "%s: データが壊れているため展開しませんでした。",
    "%s: CRC エラーのため展開しませんでした。",
    "%s: サイズが合わないため展開しませんでした。",
    "%s: 書き込めません: %s",
    "%s: フォルダを作れません: %s",
    "%s: 同じ名前のフォルダがあります。",
    "使い方: %s [-d フォルダ] [-t] [-o] [-q]\r\n"
    "  -d フォルダ  確認せずにそのフォルダへ展開する\r\n"
    "  -t           書庫を検査するだけ\r\n"
    "  -o           既にあるファイルを確認せずに置き換える\r\n"
    "  -q           ウィンドウを出さない",
    "書庫が不完全です。終わりの部分がありません (ファイルが途中で切れています)。",
    "書庫が壊れているか偽造されています。項目のデータが重なっているため、何も展開していません。",
    "%s: 書庫に同じ名前が複数あります。",
    "%s: \":\" は拒否しました (ドライブ名または代替データストリーム)。",
    "%s: パスが長すぎるため作成できません。",
};

} // namespace

const char *Text(Msg m) { return (GetACP() == 932 ? kJapanese : kEnglish)[m]; }

std::wstring Format(Msg m, std::initializer_list<std::wstring> args) {
  std::wstring text = satchel::AnsiToWide(Text(m)), out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L's' && arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring Number(unsigned long n) {
  wchar_t buf[12], *p = buf + 12;
  do
    *--p = wchar_t(L'0' + n % 10);
  while (n /= 10);
  return std::wstring(p, buf + 12);
}

std::wstring SystemMessage(unsigned long code) {
  std::wstring s = satchel::SystemErrorTextW(code);
  return s.empty() ? L"error " + Number(code) : s;
}

} // namespace sfx
