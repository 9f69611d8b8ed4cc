// The road of one zip-and-attach build, top to bottom:
//
//   1. Attach (or a folder chosen, or a drop answered Yes): the attachment
//      dialog checks its list and name, hides itself and hands an
//      ArchiveRequest to the command's TBuildJob (TZipListForm::BuildArchive).
//   2. TBuildJob::Run, here: a private folder %TEMP%\Satchel-<pid>-<tick>\,
//      ZIP32.DLL loaded, the progress dialog shown, the library run over
//      the files (TZipCompressor::Compress, compress/job.cpp), sfx32.dat and
//      the ZIP joined into a program when asked, the result dialog on
//      request; the job then holds the file to attach, or what went wrong.
//   3. The command (plugin/commands.cpp) attaches that file or says
//      "compression failed.", and the job's end removes its folder.
#include "ui/buildjob.h"

#include "base/files.h"
#include "base/handle.h"
#include "compress/compress.h"
#include "ui/cmprsdlg.h"
#include "ui/message_box.h"
#include "ui/resultfm.h"

#include <stdexcept>

namespace satchel::ui {
namespace {

const char kNoDll[] = "圧縮に必要なDLLが見つかりません。";
const char kFailed[] = "compression failed.";
const char kErrorWhileBuilding[] = "圧縮中にエラーが発生しました。\r\n";

// A fresh folder of its own below the temporary folder, so that a file of
// the archive's name already there is never merged, replaced or deleted.
std::string MakeWorkFolder() {
  std::string temp = TempFolderPath();
  if (temp.empty())
    throw std::runtime_error("The temporary folder cannot be found.");
  std::string dir = MakeUniqueFolder(temp, "Satchel-");
  if (dir.empty())
    throw std::runtime_error("A working folder cannot be made in " + temp);
  return dir + "\\";
}

} // namespace

TBuildJob::~TBuildJob() {
  if (!workFolder_.empty())
    RemoveTree(workFolder_);
}

void TBuildJob::Run(const ArchiveRequest &request, HWND owner) {
  requested_ = true;
  attachFile_.clear();
  failure_ = kFailed;
  try {
    Build(request, owner);
  } catch (const std::exception &e) {
    // Nothing half-built may be attached.
    attachFile_.clear();
    if (!zipFileName_.empty())
      DeleteFileA(zipFileName_.c_str());
    MessageDlg(kErrorWhileBuilding + std::string(e.what()), MsgKind::Error);
  }
}

void TBuildJob::Build(const ArchiveRequest &request, HWND owner) {
  workFolder_ = MakeWorkFolder();
  zipFileName_ = workFolder_ + request.archiveName;

  TZipCompressor compressor;
  if (!compressor.LoadDll()) {
    MessageDlg(kNoDll, MsgKind::Error);
    return;
  }
  compressor.SelfExtract = request.selfExtract;
  compressor.ArchiveType = uint8_t(request.archiveType);
  int32_t answer;
  {
    // Released (destroyed once a message loop runs) however the compression
    // ends, hidden before only when the compression says so.
    UniqueReleased<TCompressingDlg> progress(new TCompressingDlg);
    compressor.Progress = progress.get();
    answer = compressor.Compress(request.baseFolder, zipFileName_, request.files);
    compressor.Progress = nullptr;
  }

  // The library's own words, whatever the compression achieved.
  if (request.showResult) {
    TResultForm result(owner);
    result.SetResultText(compressor.ResultText);
    result.ShowModal();
  }

  if (answer == 0 && IsFile(zipFileName_)) {
    attachFile_ = zipFileName_;
    failure_.clear();
  } else if (!compressor.MissingText.empty()) {
    failure_ += "\r\n" + compressor.MissingText;
  }
}

} // namespace satchel::ui
