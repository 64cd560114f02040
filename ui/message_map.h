#pragma once
// Message maps: a table per class from (message, notification code, id) to a
// member function, chained to the base class's table. The entry macros take
// the handler's bare name and check its signature at compile time.
//
//   BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
//     ON_BN_CLICKED(IDC_EXIT, OnExit)                       void OnExit()
//     ON_COMMAND(ID_FILE_EXPORT, OnExport)                  void OnExport()
//     ON_CBN_KILLFOCUS(IDC_KEYWORDS, OnKillFocusKeywords)   void ...()
//     ON_NOTIFY(NM_DBLCLK, IDC_RESULTS, OnDblclkResults)    void ...(NMHDR*, LRESULT*)
//     ON_WM_DROPFILES()                                     void OnDropFiles(HDROP)
//     ON_WM_CLOSE()                                         void OnClose()
//     ON_WM_TIMER()                                         void OnTimer(UINT_PTR)
//     ON_MESSAGE(message, OnSomething)                      LRESULT ...(WPARAM, LPARAM)
//   END_MESSAGE_MAP()
#include <concepts>
#include <functional>

#include "ui/messages.h"

namespace korvel {

class CWnd;

struct MessageMapEntry {
  UINT message = 0;  // 0 ends the table
  UINT code = 0;     // notification code of WM_COMMAND and WM_NOTIFY
  UINT id = 0;       // command or control id of WM_COMMAND and WM_NOTIFY
  LRESULT (*call)(CWnd& self, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct MessageMap {
  const MessageMap* (*base)();  // null for the root
  const MessageMapEntry* entries;
};

namespace message_map_detail {

template <class T, auto F>
LRESULT Command(CWnd& self, WPARAM, LPARAM) {
  std::invoke(F, static_cast<T&>(self));
  return 0;
}

template <class T, auto F>
LRESULT Notify(CWnd& self, WPARAM, LPARAM lParam) {
  LRESULT result = 0;
  std::invoke(F, static_cast<T&>(self), reinterpret_cast<NMHDR*>(lParam), &result);
  return result;
}

template <class T, auto F>
LRESULT DropFilesHandler(CWnd& self, WPARAM wParam, LPARAM) {
  std::invoke(F, static_cast<T&>(self), reinterpret_cast<HDROP>(wParam));
  return 0;
}

template <class T, auto F>
LRESULT Raw(CWnd& self, WPARAM wParam, LPARAM lParam) {
  return std::invoke(F, static_cast<T&>(self), wParam, lParam);
}

template <class T, auto F>
constexpr MessageMapEntry CommandEntry(UINT code, UINT id) {
  static_assert(std::is_invocable_r_v<void, decltype(F), T&>, "handler must be void ()");
  return {WM_COMMAND, code, id, &Command<T, F>};
}

template <class T, auto F>
constexpr MessageMapEntry NotifyEntry(UINT code, UINT id) {
  static_assert(std::is_invocable_r_v<void, decltype(F), T&, NMHDR*, LRESULT*>,
                "handler must be void (NMHDR*, LRESULT*)");
  return {WM_NOTIFY, code, id, &Notify<T, F>};
}

template <class T, auto F>
constexpr MessageMapEntry DropFilesEntry() {
  static_assert(std::is_invocable_r_v<void, decltype(F), T&, HDROP>,
                "handler must be void OnDropFiles(HDROP)");
  return {WM_DROPFILES, 0, 0, &DropFilesHandler<T, F>};
}

template <class T, auto F>
constexpr MessageMapEntry CloseEntry() {
  static_assert(std::is_invocable_r_v<void, decltype(F), T&>, "handler must be void OnClose()");
  return {WM_CLOSE, 0, 0, &Command<T, F>};
}

template <class T, auto F>
LRESULT TimerHandler(CWnd& self, WPARAM wParam, LPARAM) {
  std::invoke(F, static_cast<T&>(self), static_cast<UINT_PTR>(wParam));
  return 0;
}

template <class T, auto F>
constexpr MessageMapEntry TimerEntry() {
  static_assert(std::is_invocable_r_v<void, decltype(F), T&, UINT_PTR>,
                "handler must be void OnTimer(UINT_PTR)");
  return {WM_TIMER, 0, 0, &TimerHandler<T, F>};
}

template <class T, auto F>
constexpr MessageMapEntry RawEntry(UINT message) {
  static_assert(std::is_invocable_r_v<LRESULT, decltype(F), T&, WPARAM, LPARAM>,
                "handler must be LRESULT (WPARAM, LPARAM)");
  return {message, 0, 0, &Raw<T, F>};
}

}  // namespace message_map_detail
}  // namespace korvel

// In the class body of every class that has a message map.
#define DECLARE_MESSAGE_MAP()                             \
 protected:                                               \
  static const ::korvel::MessageMap* GetThisMessageMap(); \
  const ::korvel::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                \
  const ::korvel::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const ::korvel::MessageMap* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                              \
    using TheBaseClass = baseClass;                                                           \
    static constexpr ::korvel::MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                               \
  ::korvel::MessageMapEntry {}                                                          \
  }                                                                                     \
  ;                                                                                     \
  static constexpr ::korvel::MessageMap map{&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                                          \
  }

#define KORVEL_HANDLER(memberFxn) &ThisClass::memberFxn
#define ON_COMMAND(id, memberFxn) \
  ::korvel::message_map_detail::CommandEntry<ThisClass, KORVEL_HANDLER(memberFxn)>(0, (id)),
#define ON_BN_CLICKED(id, memberFxn)                                                \
  ::korvel::message_map_detail::CommandEntry<ThisClass, KORVEL_HANDLER(memberFxn)>( \
      ::korvel::BN_CLICKED, (id)),
#define ON_CBN_KILLFOCUS(id, memberFxn)                                             \
  ::korvel::message_map_detail::CommandEntry<ThisClass, KORVEL_HANDLER(memberFxn)>( \
      ::korvel::CBN_KILLFOCUS, (id)),
#define ON_NOTIFY(code, id, memberFxn) \
  ::korvel::message_map_detail::NotifyEntry<ThisClass, KORVEL_HANDLER(memberFxn)>((code), (id)),
#define ON_WM_DROPFILES() \
  ::korvel::message_map_detail::DropFilesEntry<ThisClass, &ThisClass::OnDropFiles>(),
#define ON_WM_CLOSE() ::korvel::message_map_detail::CloseEntry<ThisClass, &ThisClass::OnClose>(),
#define ON_WM_TIMER() ::korvel::message_map_detail::TimerEntry<ThisClass, &ThisClass::OnTimer>(),
#define ON_MESSAGE(message, memberFxn) \
  ::korvel::message_map_detail::RawEntry<ThisClass, KORVEL_HANDLER(memberFxn)>((message)),
