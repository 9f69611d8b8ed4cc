// The build job: what the attachment dialog asks for, built into the file
// that the command attaches (see buildjob.cpp for the whole road).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace satchel::ui {

// What the attachment dialog hands over when the user attaches.
struct ArchiveRequest {
  // In list order: full paths, or paths relative to baseFolder.
  std::vector<std::string> files;
  // Empty when the files are full paths whose folders are not stored.
  std::string baseFolder;
  // The name field's text, used exactly as it is.
  std::string archiveName;
  bool selfExtract = false;
  int archiveType = 1;
  bool showResult = false;
};

class TBuildJob {
public:
  TBuildJob() = default;
  // Removes the private work folder and whatever is left in it.
  ~TBuildJob();
  TBuildJob(const TBuildJob &) = delete;
  TBuildJob &operator=(const TBuildJob &) = delete;

  // Builds the archive in a private folder below the temporary folder,
  // telling the user of every failure on the way; `owner` owns the result
  // dialog. Raises nothing from the build itself.
  void Run(const ArchiveRequest &request, HWND owner);

  // A request came.
  bool Requested() const { return requested_; }
  // Where the archive is built (set once a request came).
  const std::string &ZipFileName() const { return zipFileName_; }
  // The finished archive to attach, or empty.
  const std::string &AttachFile() const { return attachFile_; }
  // What to tell the user when a requested build has nothing to attach.
  const std::string &FailureText() const { return failure_; }

private:
  void Build(const ArchiveRequest &request, HWND owner);

  bool requested_ = false;
  std::string workFolder_, zipFileName_, attachFile_, failure_;
};

} // namespace satchel::ui
