#include "app/sweep_box.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "app/main_dlg.h"
#include "platform/file_status.h"
#include "res/resource.h"
#include "ui/app.h"
#include "ui/backend.h"

namespace korvel {
namespace {

constexpr int kBarRange = 1000;

// Only the text that changed goes to the window: a label repainted ten
// times a second with the same text would flicker.
void SetIfChanged(CWnd& window, const std::string& text) {
  if (window.GetWindowText() != text) window.SetWindowText(text);
}

// 1234567 as "1,234,567".
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n), text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

}  // namespace

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
    : CDialog(IDD_SWEEP_PROGRESS, &owner),
      owner_(owner),
      sweep_(sweep),
      rows_(rows),
      target_(std::move(target)),
      singleFile_(singleFile) {}

void CSweepBox::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_SWEEP_TARGET, m_stcTarget);
  DDX_Control(pDX, IDC_SWEEP_FILES, m_stcFiles);
  DDX_Control(pDX, IDC_SWEEP_ADDRESSES, m_stcAddresses);
  DDX_Control(pDX, IDC_SWEEP_CURRENT, m_stcCurrent);
  DDX_Control(pDX, IDC_SWEEP_PROGRESS, m_prgProgress);
  DDX_Control(pDX, IDCANCEL, m_btnCancel);
}

BEGIN_MESSAGE_MAP(CSweepBox, CDialog)
  ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CSweepBox::OnInitDialog() {
  CDialog::OnInitDialog();
  m_prgProgress.SetRange32(0, kBarRange);
  SetProgress(0, 0);
  started_ = CurrentBackend().GetTickCount();
  shown_ = false;
  SetTimer(kTickTimer, kTickInterval);
  SetIfChanged(m_stcTarget, target_);
  // The engine learns a file's size only when it has read it: the bar of a
  // single file needs it from the start.
  long long size = 0;
  if (singleFile_ && FileKindFollowingLinks(target_, &size) == FileKind::RegularFile && size > 0)
    fileSize_ = static_cast<std::uint64_t>(size);
  listedAt_ = started_;
  ShowProgress(sweep_.Counters());
  return FALSE;  // the focus goes to Cancel when the box shows
}

void CSweepBox::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kTickTimer) return;
  OnTick();
  if (IsEnding() || shown_) return;
  if (CurrentBackend().GetTickCount() - started_ >= kShowDelay) {
    shown_ = true;
    ShowWindow(SW_SHOW);
    m_btnCancel.SetFocus();
  }
}

void CSweepBox::SetProgress(std::uint64_t done, std::uint64_t total) {
  const bool busy = total == 0;
  if (busy != busy_ || m_prgProgress.IsMarquee() != (busy ? TRUE : FALSE)) {
    busy_ = busy;
    m_prgProgress.SetMarquee(busy ? TRUE : FALSE);
  }
  if (busy) return;
  const std::uint64_t part = done >= total ? total : done;
  m_prgProgress.SetPos(static_cast<int>(part * kBarRange / total));
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
  if (singleFile_) {
    const std::uint64_t total = std::max(fileSize_, progress.bytes_found);
    SetIfChanged(m_stcFiles,
                 "Bytes: " + Grouped(progress.bytes_read) + " of " + Grouped(total));
    SetProgress(progress.bytes_read, total);
  } else {
    SetIfChanged(m_stcFiles, "Files: " + Grouped(progress.files_swept) + " of " +
                                 Grouped(progress.files_found));
    // By files once the walk has told how many there are (their sizes are
    // known only as they are read); busy before.
    SetProgress(progress.files_swept, progress.walk_done ? progress.files_found : 0);
  }
  SetIfChanged(m_stcAddresses, "Addresses: " + Grouped(progress.rows));
  // At the end of a big sweep the list may take a moment to catch up.
  SetIfChanged(m_stcCurrent, progress.finished ? std::string("Adding the addresses to the list...")
                                               : sweep_.CurrentFile());
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
  // Nothing typed before the box shows acts on it, least of all Escape.
  if (!shown_ && pMsg != nullptr && IsKeyMessage(*pMsg)) return TRUE;
  return CDialog::PreTranslateMessage(pMsg);
}

}  // namespace korvel
