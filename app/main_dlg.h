#pragma once
// The main dialog: the result list, the folder options, the task buttons.
// Every sweep receives it; the settings are loaded into it and saved from it.
#include <string>
#include <string_view>

#include "engine/sweep_job.h"

#include "app/combo_history.h"
#include "find/folder_options.h"
#include "scan/row_sink.h"
#include "scan/sweep_hooks.h"
#include "settings/settings.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace korvel {

class CSweepBox;

class CMainDlg : public CDialog, public RowSink, public SweepHooks, public SettingsDialog {
 public:
  explicit CMainDlg(CWnd* pParent = nullptr);

  // RowSink: a row appended to the result list.
  void AddResultRow(std::string_view address, std::string_view location) override;
  // RowSink: the rows of one file, appended in one piece.
  void AddFileRows(std::string_view location, AddressBatch&& rows) override;

  // The folder options as the fields show them right now.
  FolderOptions CurrentFolderOptions();

  // SweepHooks
  void ShowWarning(const std::string& text) override;
  int BeginWaitCursor() override;
  void RestoreCursor(int previous) override;
  void AddKeywordsToHistory() override;
  void AddExtensionsToHistory() override;

  // SettingsDialog
  HistoryBox& KeywordHistory() override { return m_keywordHistory; }
  HistoryBox& ExtensionHistory() override { return m_extensionHistory; }
  int GetLocalCheck() override;
  void SetLocalCheck(int state) override;

  BOOL PreTranslateMessage(MSG* pMsg) override;

  // Whether a sweep is running (its box is up, maybe still hidden).
  bool IsSweeping() const { return m_pSweepBox != nullptr; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  virtual void OnDropFiles(HDROP hDropInfo);

  // Commands (main_dlg_commands.cpp).
  void OnExport();
  void OnExit();
  void OnSweepFile();
  void OnSweepFolder();
  void OnManual();
  void OnAbout();
  void OnRemoveItem();
  void OnRemoveAll();
  void OnClearKeywords();
  void OnClearExtensions();
  void OnDblclkResults(NMHDR* pNMHDR, LRESULT* pResult);
  void OnRdblclkResults(NMHDR* pNMHDR, LRESULT* pResult);
  void OnKillFocusKeywords();
  void OnKillFocusExtensions();
  void OnCopy();
  void OnCopyWithLocation();

  DECLARE_MESSAGE_MAP()

 private:
  void CreateToolTips();
  void RemoveSelectedRow();
  void ExploreSelectedRowFolder();
  // The selected rows shown, in the order shown: the address alone, or
  // ADDRESS<TAB>LOCATION; one a line.
  void CopySelectedRows(bool withLocation);

  // The sweeps of the commands and drops: on the engine, under the wait
  // cursor, with the progress box. A sweep that a close of the window
  // interrupted closes the window once it has ended.
  void SweepOneFile(const std::string& path);
  void SweepOneFolder(const std::string& folder);
  void EndSweepCommand();
  // Runs one input to its end or its cancel; true when the engine refused
  // the folder fields.
  bool RunSweep(SweepInput input);
  void CloseDuringSweep();

  HICON m_hIcon;
  CListCtrl m_lstResults;
  CComboBox m_cboKeywords;
  CComboBox m_cboExtensions;
  CButton m_chkLocal;
  CButton m_btnSweepFile;
  CButton m_btnSweepFolder;
  CButton m_btnRemoveItem;
  CButton m_btnRemoveAll;
  CButton m_btnExit;
  CButton m_btnClearKeywords;
  CButton m_btnClearExtensions;
  CToolTipCtrl m_ttcToolTips;
  ComboHistory m_keywordHistory{m_cboKeywords};
  ComboHistory m_extensionHistory{m_cboExtensions};
  CSweepBox* m_pSweepBox = nullptr;
  bool m_bCloseAfterSweep = false;
  bool m_bFolderSweep = false;  // the running sweep's
};

}  // namespace korvel
