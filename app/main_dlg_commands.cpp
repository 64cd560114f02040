// The main dialog's commands: each maps one user action onto the core.
#include <string>

#include "app/about_dlg.h"
#include "app/folder_dialog.h"
#include "find/folder_sweep.h"
#include "app/main_dlg.h"
#include "app/sweep_box.h"
#include "app/sweep_engine.h"
#include "app/texts.h"
#include "platform/file_status.h"
#include "platform/path.h"
#include "scan/sweep_hooks.h"
#include "scan/text_utils.h"
#include "settings/export.h"
#include "settings/history.h"
#include "ui/desktop.h"
#include "ui/file_dialog.h"
#include "ui/list_rows.h"

namespace korvel {
namespace {

bool FolderExists(const std::string& folder) {
  // Paths are ANSI bytes: the C runtime's test takes them as they are
  // (std::filesystem would decode them on Windows, not in the code page).
  return ExistsFollowingLinks(WithNativeSeparators(WithFinalSeparator(folder)));
}

}  // namespace

bool CMainDlg::RunSweep(SweepInput input) {
  const bool singleFile = input.kind == SweepInput::Kind::File;
  m_bFolderSweep = !singleFile;
  std::string target = input.path;
  RowHandover rows;
  // Declared after the rows: the engine, which calls them, goes first.
  std::unique_ptr<WindowSweep> sweep = MakeWindowSweep({std::move(input)}, rows);
  CSweepBox box(*this, *sweep, rows, std::move(target), singleFile);
  struct Running {
    CSweepBox*& slot;
    ~Running() { slot = nullptr; }
  } running{m_pSweepBox = &box};
  sweep->Start();
  box.DoModal();
  sweep->Wait();
  box.ListRows();
  return rows.FieldsRefused();
}

void CMainDlg::SweepOneFile(const std::string& path) {
  // Anything but a regular file is passed over at once, cursor untouched.
  if (!IsRegularFileFollowingLinks(path)) return;
  WaitCursorScope cursor(*this);
  RunSweep(SweepInput{SweepInput::Kind::File, path, {}});
}

void CMainDlg::SweepOneFolder(const std::string& folder) {
  WaitCursorScope cursor(*this);
  FolderOptions options = CurrentFolderOptions();
  // Whatever the finder refuses, the user can only have mistyped a field.
  if (!FolderFieldsAccepted(folder, options)) {
    cursor.Restore();
    ShowWarning(kInvalidFieldsWarning);
    return;
  }
  if (RunSweep(SweepInput{SweepInput::Kind::Folder, folder, std::move(options)})) {
    // The folder went away between the check and the walk.
    cursor.Restore();
    if (!m_bCloseAfterSweep) ShowWarning(kInvalidFieldsWarning);
    return;
  }
  AddKeywordsToHistory();
  AddExtensionsToHistory();
}

// After every sweep a command or a drop started: the sound, or the close
// that came while it ran.
void CMainDlg::EndSweepCommand() {
  if (m_bCloseAfterSweep) {
    m_bCloseAfterSweep = false;
    OnCancel();
    return;
  }
  MessageBeep(MB_ICONASTERISK);
}

void CMainDlg::OnSweepFile() {
  CFileDialog dlg(TRUE, nullptr, texts::kSweepFileName, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                  texts::kSweepFileFilter, this);
  if (dlg.DoModal() != IDOK) return;
  SweepOneFile(dlg.GetPathName());
  EndSweepCommand();
}

void CMainDlg::OnSweepFolder() {
  CFolderDialog dlg(nullptr, nullptr, this, BIF_RETURNONLYFSDIRS);
  if (dlg.DoModal() != IDOK) return;
  SweepOneFolder(WithFinalSeparator(dlg.GetFolderPath()));
  EndSweepCommand();
}

void CMainDlg::OnDropFiles(HDROP hDropInfo) {
  const bool dropped = DragQueryFileCount(hDropInfo) > 0;
  const std::string path = DragQueryFile(hDropInfo, 0);
  DragFinish(hDropInfo);
  if (!dropped) return;  // nothing to sweep, least of all the root an empty path would become

  if (IsRegularFileFollowingLinks(path)) {
    SweepOneFile(path);
  } else {
    // A folder, or anything whose status cannot be read: the folder sweep reports it.
    SweepOneFolder(WithFinalSeparator(path));
  }
  EndSweepCommand();
}

void CMainDlg::OnExit() { OnCancel(); }

void CMainDlg::RemoveSelectedRow() { m_lstResults.Rows().RemoveSelected(); }

void CMainDlg::OnRemoveItem() { RemoveSelectedRow(); }

void CMainDlg::OnDblclkResults(NMHDR*, LRESULT* pResult) {
  RemoveSelectedRow();
  *pResult = 0;
}

void CMainDlg::OnRemoveAll() {
  if (MessageBox(texts::kRemoveAllQuestion, texts::kCaptionQuestion, MB_YESNO | MB_ICONQUESTION) ==
      IDYES)
    m_lstResults.DeleteAllItems();
}

void CMainDlg::ExploreSelectedRowFolder() {
  if (m_lstResults.GetItemCount() == 0) return;
  const int columns = m_lstResults.GetHeaderCtrl()->GetItemCount();
  // With several rows selected, the one the user clicked last is meant.
  const int selected = m_lstResults.GetNextItem(-1, LVNI_FOCUSED | LVNI_SELECTED);
  if (selected < 0) return;
  const std::string folder = FolderPart(m_lstResults.GetItemText(selected, columns - 1));
  // A location without a folder part has nothing to show.
  if (folder.empty() || !FolderExists(folder)) return;
  ShellExecute(this, "explore", folder);
}

void CMainDlg::OnRdblclkResults(NMHDR*, LRESULT* pResult) {
  ExploreSelectedRowFolder();
  *pResult = 0;
}

void CMainDlg::CopySelectedRows(bool withLocation) {
  const int columns = m_lstResults.GetHeaderCtrl()->GetItemCount();
  if (columns < 2) return;
  const ListRows& rows = m_lstResults.Rows();
  std::string text;
  for (int row = rows.NextSelected(-1); row >= 0; row = rows.NextSelected(row)) {
    text += rows.Cell(row, columns - 2);
    if (withLocation) {
      text += '\t';
      text += rows.Cell(row, columns - 1);
    }
    text += '\n';
  }
  // Nothing selected: the clipboard keeps what it has.
  if (!text.empty()) CurrentDesktop().SetClipboardText(GetSafeHwnd(), text);
}

void CMainDlg::OnCopy() { CopySelectedRows(false); }

void CMainDlg::OnCopyWithLocation() { CopySelectedRows(true); }

void CMainDlg::OnClearKeywords() { m_cboKeywords.ResetContent(); }

void CMainDlg::OnClearExtensions() { m_cboExtensions.ResetContent(); }

void CMainDlg::OnKillFocusKeywords() {
  m_cboKeywords.SetWindowText(NormalizeKeywords(m_cboKeywords.GetWindowText()));
}

void CMainDlg::OnKillFocusExtensions() {
  m_cboExtensions.SetWindowText(NormalizeExtensions(m_cboExtensions.GetWindowText()));
}

void CMainDlg::OnAbout() {
  CAboutDlg dlg;
  dlg.DoModal();
}

void CMainDlg::OnManual() {
  const std::string manual = ProgramFolder() + kNativeSeparator + texts::kManualFile;
  if (ShellExecute(this, "open", manual) <= 32)
    MessageBox(texts::kNoHelp, texts::kCaptionHelpNotInstalled, MB_ICONHAND | MB_OK);
}

void CMainDlg::OnExport() {
  if (m_lstResults.GetItemCount() == 0) return;
  CFileDialog dlg(FALSE, texts::kExportExtension, texts::kExportFileName, OFN_HIDEREADONLY,
                  texts::kExportFilter, this);
  if (dlg.DoModal() != IDOK) return;
  const std::string path = dlg.GetPathName();

  switch (ProbeExportPath(path)) {
    case ExportPathState::PathInvalid:
      MessageBox(texts::kInvalidPath, texts::kCaptionWarning, MB_OK | MB_ICONEXCLAMATION);
      return;
    case ExportPathState::PathExists:
      if (MessageBox(texts::kOverwriteQuestion, texts::kCaptionWarning,
                     MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
      break;
    case ExportPathState::PathWritable: break;
  }

  // The column before the last: the address.
  const int column = m_lstResults.GetHeaderCtrl()->GetItemCount() - 2;
  const bool written = WriteExportFile(
      path, [this] { return static_cast<std::size_t>(m_lstResults.GetItemCount()); },
      [this, column](std::size_t row) {
        return m_lstResults.GetItemText(static_cast<int>(row), column);
      });
  if (!written)
    MessageBox(texts::kExportFailed, texts::kCaptionWarning, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace korvel
