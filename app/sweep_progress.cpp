#include "app/sweep_progress.h"

#include "res/resource.h"
#include "ui/backend.h"

namespace korvel {
namespace {

constexpr int kBarRange = 1000;

// Only the text that changed goes to the window: a label repainted ten
// times a second with the same text would flicker.
void SetIfChanged(CWnd& window, const std::string& text) {
  if (window.GetWindowText() != text) window.SetWindowText(text);
}

}  // namespace

CSweepProgress::CSweepProgress(CWnd* pParent) : CDialog(IDD_SWEEP_PROGRESS, pParent) {}

void CSweepProgress::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_SWEEP_TARGET, m_stcTarget);
  DDX_Control(pDX, IDC_SWEEP_FILES, m_stcFiles);
  DDX_Control(pDX, IDC_SWEEP_ADDRESSES, m_stcAddresses);
  DDX_Control(pDX, IDC_SWEEP_CURRENT, m_stcCurrent);
  DDX_Control(pDX, IDC_SWEEP_PROGRESS, m_prgProgress);
  DDX_Control(pDX, IDCANCEL, m_btnCancel);
}

BEGIN_MESSAGE_MAP(CSweepProgress, CDialog)
  ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CSweepProgress::OnInitDialog() {
  CDialog::OnInitDialog();
  m_prgProgress.SetRange32(0, kBarRange);
  SetProgress(0, 0);
  started_ = CurrentBackend().GetTickCount();
  shown_ = false;
  SetTimer(kTickTimer, kTickInterval);
  return FALSE;  // the focus goes to Cancel when the box shows
}

void CSweepProgress::SetTarget(const std::string& path) { SetIfChanged(m_stcTarget, path); }

void CSweepProgress::SetFiles(std::uint64_t swept, std::uint64_t found) {
  SetIfChanged(m_stcFiles, "Files: " + std::to_string(swept) + " of " + std::to_string(found));
}

void CSweepProgress::SetBytes(std::uint64_t read, std::uint64_t total) {
  SetIfChanged(m_stcFiles, "Bytes: " + std::to_string(read) + " of " + std::to_string(total));
}

void CSweepProgress::SetAddresses(std::uint64_t rows) {
  SetIfChanged(m_stcAddresses, "Addresses: " + std::to_string(rows));
}

void CSweepProgress::SetCurrentFile(const std::string& path) { SetIfChanged(m_stcCurrent, path); }

void CSweepProgress::SetProgress(std::uint64_t done, std::uint64_t total) {
  const bool busy = total == 0;
  if (busy != busy_ || m_prgProgress.IsMarquee() != (busy ? TRUE : FALSE)) {
    busy_ = busy;
    m_prgProgress.SetMarquee(busy ? TRUE : FALSE);
  }
  if (busy) return;
  const std::uint64_t part = done >= total ? total : done;
  m_prgProgress.SetPos(static_cast<int>(part * kBarRange / total));
}

void CSweepProgress::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kTickTimer) return;
  OnTick();
  if (IsEnding() || shown_) return;
  if (CurrentBackend().GetTickCount() - started_ >= kShowDelay) {
    shown_ = true;
    ShowWindow(SW_SHOW);
    m_btnCancel.SetFocus();
  }
}

BOOL CSweepProgress::PreTranslateMessage(MSG* pMsg) {
  // Nothing typed before the box shows acts on it, least of all Escape.
  if (!shown_ && pMsg != nullptr && IsKeyMessage(*pMsg)) return TRUE;
  return CDialog::PreTranslateMessage(pMsg);
}

void CSweepProgress::OnCancel() { EndDialog(IDCANCEL); }

}  // namespace korvel
