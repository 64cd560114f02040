#include "ui/win32/dialog_template_bytes.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/win32/windows_api.h"

namespace korvel::win32 {
namespace {

// Predefined window classes of dialog items, by their atoms.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kComboBoxAtom = 0x0085;

class TemplateWriter {
 public:
  void Word(WORD value) { Raw(&value, sizeof value); }
  void Dword(::DWORD value) { Raw(&value, sizeof value); }
  void Short(int value) {
    const auto v = static_cast<std::int16_t>(value);
    Raw(&v, sizeof v);
  }
  void Byte(BYTE value) { Raw(&value, 1); }
  void AlignToDword() {
    while (bytes_.size() % 4 != 0) bytes_.push_back('\0');
  }
  // A NUL-terminated UTF-16 string, converted from the ANSI code page.
  void Text(std::string_view text) {
    std::wstring wide;
    if (!text.empty()) {
      const int length =
          MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
      wide.resize(static_cast<std::size_t>(length));
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    }
    for (wchar_t c : wide) Word(static_cast<WORD>(c));
    Word(0);
  }
  // A resource or class given by number: 0xFFFF, then the number.
  void Ordinal(WORD value) {
    Word(0xFFFF);
    Word(value);
  }
  std::vector<std::uint32_t> Finish() {
    AlignToDword();
    std::vector<std::uint32_t> block(bytes_.size() / 4);
    std::memcpy(block.data(), bytes_.data(), bytes_.size());
    return block;
  }

 private:
  void Raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  std::string bytes_;
};

void WriteControlClass(TemplateWriter& out, ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
    case ControlKind::CheckBox: out.Ordinal(kButtonAtom); return;
    case ControlKind::Label:
    case ControlKind::Picture:
    case ControlKind::Rectangle: out.Ordinal(kStaticAtom); return;
    case ControlKind::ComboBox: out.Ordinal(kComboBoxAtom); return;
    case ControlKind::ListView: out.Text(WC_LISTVIEWA); return;
    case ControlKind::ProgressBar: out.Text(PROGRESS_CLASSA); return;
    case ControlKind::Dialog:
    case ControlKind::ToolTip: break;
  }
  throw std::logic_error("a dialog template cannot hold this kind of control");
}

}  // namespace

std::vector<std::uint32_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate) {
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended template
  out.Dword(0);      // helpID
  out.Dword(dialogTemplate.exStyle);
  out.Dword(dialogTemplate.style & ~WS_VISIBLE);
  out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
  out.Short(dialogTemplate.x);
  out.Short(dialogTemplate.y);
  out.Short(dialogTemplate.cx);
  out.Short(dialogTemplate.cy);
  if (dialogTemplate.menu != 0)
    out.Ordinal(static_cast<WORD>(dialogTemplate.menu));  // from the program's resources
  else
    out.Word(0);
  out.Word(0);  // the dialog manager's own window class
  out.Text(dialogTemplate.caption);
  if ((dialogTemplate.style & DS_SETFONT) != 0) {
    out.Word(static_cast<WORD>(dialogTemplate.pointSize));
    out.Word(FW_NORMAL);
    out.Byte(FALSE);  // not italic
    out.Byte(DEFAULT_CHARSET);
    out.Text(dialogTemplate.fontName);
  }
  for (const ControlTemplate& control : dialogTemplate.controls) {
    out.AlignToDword();
    out.Dword(0);  // helpID
    out.Dword(control.exStyle);
    // The list shows the rows its peer keeps (LVN_GETDISPINFO): no copy per
    // row in the control, no limit on a cell's length.
    out.Dword(control.kind == ControlKind::ListView ? control.style | LVS_OWNERDATA
                                                    : control.style);
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.cx);
    out.Short(control.cy);
    out.Dword(static_cast<::DWORD>(control.id));
    WriteControlClass(out, control.kind);
    if (control.kind == ControlKind::Picture)
      out.Ordinal(static_cast<WORD>(control.image));  // SS_BITMAP: the bitmap's id
    else
      out.Text(control.text);
    out.Word(0);  // no creation data
  }
  return out.Finish();
}

}  // namespace korvel::win32
