#pragma once
// CSweepProgress: the box a long sweep shows over its window, with what is
// being swept, how far it has got, and one button, Cancel (Escape and the
// close box press it too).
//
// It runs modally from the start of the sweep, so its owner takes no input
// meanwhile, but it stays hidden until the sweep has run for kShowDelay ms:
// a short sweep shows nothing at all. The program drives it from OnTick,
// which runs every kTickInterval ms on the window's thread: it reads its
// sweep, updates the box, and calls EndDialog once the sweep is over.
#include <cstdint>
#include <string>

#include "ui/controls.h"
#include "ui/dialog.h"

namespace korvel {

class CSweepProgress : public CDialog {
 public:
  static constexpr UINT kTickInterval = 50;
  static constexpr ULONGLONG kShowDelay = 400;
  static constexpr UINT_PTR kTickTimer = 1;

  explicit CSweepProgress(CWnd* pParent);

  // The folder or file being swept.
  void SetTarget(const std::string& path);
  // "Files: N of M"; M still grows while the walk runs.
  void SetFiles(std::uint64_t swept, std::uint64_t found);
  // For a single file: "Bytes: N of M".
  void SetBytes(std::uint64_t read, std::uint64_t total);
  // "Addresses: K"
  void SetAddresses(std::uint64_t rows);
  // The file being read; the box elides a long path in its middle.
  void SetCurrentFile(const std::string& path);
  // The bar at done / total; a total of 0 shows the busy indicator.
  void SetProgress(std::uint64_t done, std::uint64_t total);

  BOOL WasShown() const { return shown_ ? TRUE : FALSE; }

 protected:
  // Every tick, before the box decides whether it is time to show itself.
  virtual void OnTick() {}
  // Cancel, Escape and the close box. The default ends the box.
  void OnCancel() override;
  // Enter presses the focused button, Cancel; there is nothing to confirm.
  void OnOK() override {}

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL ShowsWhenRun() const override { return FALSE; }
  void OnTimer(UINT_PTR nIDEvent);

  DECLARE_MESSAGE_MAP()

 private:
  CWnd m_stcTarget;
  CWnd m_stcFiles;
  CWnd m_stcAddresses;
  CWnd m_stcCurrent;
  CProgressCtrl m_prgProgress;
  CButton m_btnCancel;
  ULONGLONG started_ = 0;
  bool shown_ = false;
  bool busy_ = false;
};

}  // namespace korvel
