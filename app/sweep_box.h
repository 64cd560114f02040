#pragma once
// What the window needs to run a sweep on the engine: the hand-over of rows
// from the engine's thread to the window's, and the progress box that
// drives the sweep from the window's thread.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/sweep_engine.h"
#include "scan/row_sink.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace korvel {

class CMainDlg;

// The engine calls it on its own thread. A file's rows come as one batch
// and are handed over whole, moved, under the lock; the window takes every
// finished file at once and gives each batch to the list in one piece.
class RowHandover final : public RowSink {
 public:
  struct FileRows {
    std::string location;
    AddressBatch addresses;
  };

  void AddResultRow(std::string_view address, std::string_view location) override;
  void AddFileRows(std::string_view location, AddressBatch&& rows) override;
  void FileSwept(std::string_view location) override;
  void ReportIssue(const SweepIssue& issue) override;

  // The window's thread: every file handed over so far, in order.
  std::vector<FileRows> Take();
  // Whether the engine refused the folder fields.
  bool FieldsRefused();

 private:
  void HandOver();

  FileRows collecting_;  // the engine's thread only
  std::mutex mutex_;
  std::vector<FileRows> ready_;
  bool refused_ = false;
};

// The "Sweep in progress" box of one sweep, modal over the main window: what
// is being swept, how far it has got, and one button, Cancel (Escape and the
// close box press it too).
//
// It runs modally from the start of the sweep, so its owner takes no input
// meanwhile, but it stays hidden until the sweep has run for kShowDelay ms:
// a short sweep shows nothing at all. Every kTickInterval ms, on the window's
// thread, it reads the sweep's counters, lists the rows handed over, and ends
// once the sweep is over and every row is in the list.
class CSweepBox final : public CDialog {
 public:
  static constexpr UINT kTickInterval = 50;
  static constexpr ULONGLONG kShowDelay = 400;
  static constexpr UINT_PTR kTickTimer = 1;
  // Rows reach the list at most this often while the sweep runs, and a tick
  // spends at most kRowBudget ms listing them: the event loop never waits
  // long, and what is left goes on at the next tick.
  static constexpr ULONGLONG kRowInterval = 250;
  static constexpr ULONGLONG kRowBudget = 30;

  CSweepBox(CMainDlg& owner, WindowSweep& sweep, RowHandover& rows, std::string target,
            bool singleFile);

  // Cancels the sweep, waits for the engine, lists what it handed over and
  // ends the box. Cancel, Escape and the close box come here.
  void StopSweep();
  // Lists every row handed over so far.
  void ListRows();
  bool FieldsRefused() { return rows_.FieldsRefused(); }
  BOOL WasShown() const { return shown_ ? TRUE : FALSE; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL ShowsWhenRun() const override { return FALSE; }
  void OnCancel() override { StopSweep(); }
  // Enter presses the focused button, Cancel; there is nothing to confirm.
  void OnOK() override {}
  void OnTimer(UINT_PTR nIDEvent);

  DECLARE_MESSAGE_MAP()

 private:
  void OnTick();
  void ShowProgress(const SweepCounters& progress);
  // The bar at done / total; a total of 0 shows the busy indicator.
  void SetProgress(std::uint64_t done, std::uint64_t total);
  // Lists rows until the backlog is empty or `until` (the backend's clock)
  // has passed; true when the backlog is empty.
  bool ListRowsUntil(ULONGLONG until);

  CMainDlg& owner_;
  WindowSweep& sweep_;
  RowHandover& rows_;
  std::string target_;
  bool singleFile_;
  std::uint64_t fileSize_ = 0;  // a single file's size at the start
  ULONGLONG listedAt_ = 0;
  std::deque<RowHandover::FileRows> backlog_;

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
