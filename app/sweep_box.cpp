#include "app/sweep_box.h"

#include <utility>

#include "app/main_dlg.h"
#include "res/resource.h"
#include "ui/app.h"
#include "ui/backend.h"

namespace korvel {

void RowHandover::AddResultRow(std::string_view address, std::string_view location) {
  // A file's rows come together and share its location.
  if (!collecting_.addresses.Empty() && collecting_.location != location) HandOver();
  if (collecting_.addresses.Empty()) collecting_.location.assign(location);
  collecting_.addresses.Add(address);
}

void RowHandover::AddFileRows(std::string_view location, AddressBatch&& rows) {
  HandOver();  // rows that came one by one stay before these
  if (rows.Empty()) return;
  FileRows file{std::string(location), std::move(rows)};
  std::lock_guard lock(mutex_);
  ready_.push_back(std::move(file));
}

void RowHandover::FileSwept(std::string_view) { HandOver(); }

void RowHandover::ReportIssue(const SweepIssue& issue) {
  HandOver();
  // The window says nothing about files it could not read.
  if (issue.problem == SweepProblem::FieldsRefused) {
    std::lock_guard lock(mutex_);
    refused_ = true;
  }
}

void RowHandover::HandOver() {
  if (collecting_.addresses.Empty()) return;
  std::lock_guard lock(mutex_);
  ready_.push_back(std::move(collecting_));
  collecting_ = FileRows{};
}

std::vector<RowHandover::FileRows> RowHandover::Take() {
  std::vector<FileRows> taken;
  std::lock_guard lock(mutex_);
  taken.swap(ready_);
  return taken;
}

bool RowHandover::FieldsRefused() {
  std::lock_guard lock(mutex_);
  return refused_;
}

CSweepBox::CSweepBox(CMainDlg& owner, WindowSweep& sweep, RowHandover& rows, std::string target,
                     bool singleFile)
    : CSweepProgress(&owner),
      owner_(owner),
      sweep_(sweep),
      rows_(rows),
      target_(std::move(target)),
      singleFile_(singleFile) {}

BOOL CSweepBox::OnInitDialog() {
  CSweepProgress::OnInitDialog();
  SetTarget(target_);
  listedAt_ = CurrentBackend().GetTickCount();
  ShowProgress(sweep_.Counters());
  return FALSE;
}

bool CSweepBox::ListRowsUntil(ULONGLONG until) {
  for (RowHandover::FileRows& file : rows_.Take()) backlog_.push_back(std::move(file));
  Backend& backend = CurrentBackend();
  // A file's rows go in whole: one copy of its addresses, its location once.
  while (!backlog_.empty()) {
    RowHandover::FileRows& file = backlog_.front();
    owner_.AddFileRows(file.location, std::move(file.addresses));
    backlog_.pop_front();
    if (!backlog_.empty() && backend.GetTickCount() >= until) return false;
  }
  return true;
}

void CSweepBox::ListRows() { ListRowsUntil(~ULONGLONG{0}); }

void CSweepBox::OnTick() {
  const SweepCounters progress = sweep_.Counters();
  const ULONGLONG now = CurrentBackend().GetTickCount();
  // A batch that did not fit in one tick goes on at the next.
  const bool listing = !backlog_.empty() || now - listedAt_ >= kRowInterval || progress.finished;
  bool caughtUp = backlog_.empty();
  if (listing) {
    if (backlog_.empty()) listedAt_ = now;
    caughtUp = ListRowsUntil(now + kRowBudget);
  }
  // The box ends when the engine has and every row is in the list.
  if (progress.finished && caughtUp) {
    sweep_.Wait();
    ListRows();
    EndDialog(IDOK);
    return;
  }
  ShowProgress(progress);
}

void CSweepBox::ShowProgress(const SweepCounters& progress) {
  if (singleFile_)
    SetBytes(progress.bytes_read, progress.bytes_found);
  else
    SetFiles(progress.files_swept, progress.files_found);
  SetAddresses(progress.rows);
  SetCurrentFile(sweep_.CurrentFile());
  // By bytes once the walk has told how many there are; busy before.
  if (progress.walk_done && progress.bytes_found > 0)
    SetProgress(progress.bytes_read, progress.bytes_found);
  else
    SetProgress(0, 0);
}

void CSweepBox::StopSweep() {
  if (IsEnding()) return;
  sweep_.Cancel();
  sweep_.Wait();
  ListRows();
  EndDialog(IDCANCEL);
}

BOOL CSweepBox::PreTranslateMessage(MSG* pMsg) {
  // The main window's Exit key still closes the program: the sweep stops
  // first. Its other keys wait for the sweep to end, and then are gone.
  if (WasShown() && pMsg != nullptr &&
      (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN)) {
    if (const AcceleratorTable* table = FindAcceleratorTable(IDR_ACCELERATORS)) {
      for (const AcceleratorEntry& entry : table->entries) {
        const BYTE modifiers = entry.fVirt & (FSHIFT | FCONTROL | FALT);
        if (entry.cmd == ID_FILE_EXIT && entry.key == pMsg->wParam &&
            modifiers == pMsg->modifiers) {
          owner_.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0), 0);
          return TRUE;
        }
      }
    }
  }
  return CSweepProgress::PreTranslateMessage(pMsg);
}

}  // namespace korvel
