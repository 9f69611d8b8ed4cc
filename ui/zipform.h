// The attachment dialog: the user collects files, names the archive and
// chooses a self-extracting program; the build step hands that over to the
// build job (ui/buildjob.cpp).
#pragma once
#include "ui/buildjob.h"
#include "ui/window/form.h"

#include <string>
#include <vector>

namespace satchel::ui {

class TZipListForm : public Form {
public:
  TZipListForm();
  ~TZipListForm() override;

  Control FilesListBox, AddButton, RemoveButton, FileNameEdit, AttachBitBtn, CancelButton, ShowResultCheckBox,
      SfxCheckBox, ArcGroupBox, LhaRadioButton, ZipRadioButton, CabRadioButton, TgzRadioButton, Bz2RadioButton,
      FolderAttachButton, ListLabel, FileNameLabel;

  // Properties the zip-and-attach command reads and sets.
  // The job the build step hands its request to; while it is null, the
  // build step checks the list and the name and builds nothing.
  TBuildJob *Job = nullptr;
  // Where the job builds the archive (empty until the build step ran).
  std::string ZipFileName() const { return Job ? Job->ZipFileName() : std::string(); }
  bool IsSfx() const { return SfxCheckBox.Checked(); }
  void SetIsSfx(bool value);
  bool IncludeFolderName = false;
  bool UseAsFileName = false;
  int ArchiveType() const { return archiveType_; }
  void SetArchiveType(int value);
  std::string MIMEType() const;
  std::string GetArchiveExt() const;

  // The file list, in order.
  std::vector<std::string> Files() const;

  // Handlers bound from the layout.
  void FormCreate();
  void AddButtonClick(Control &sender);
  void RemoveButtonClick(Control &sender);
  void FilesListBoxKeyDown(Control &sender, WORD key, unsigned shift);
  void FilesListBoxDblClick(Control &sender);
  void AttachBitBtnClick(Control &sender);
  void FolderAttachButtonClick(Control &sender);
  void SfxCheckBoxClick(Control &sender);
  void FileTypeRadioGroupClick(Control &sender);

  // The type step; `sender` is a type radio button, or null.
  void TypeStep(Control *sender);
  void CollectFolderFiles(const std::string &folder);
  void CompressFolder(const std::string &folder);
  void BuildArchive(const std::string &baseFolder);

protected:
  void OnDropFiles(UniqueDrop drop) override;

private:
  void ApplyNamingRule();
  void AddFile(const std::string &path);
  std::string ArchiveName() const { return FileNameEdit.Text(); }
  void SetArchiveName(const std::string &name) { FileNameEdit.SetText(name); }
  void Finish() { SetModalResult(kModalCancel); }
  void CollectInto(const std::string &folder);
  void WarnUnreadFolders();

  int archiveType_ = 1;
  std::vector<std::string> unreadFolders_;
};

} // namespace satchel::ui
