// Writes the menu bar and the accelerator table of res/templates.cpp as
// resource-script blocks, so that the Windows resources are the same tables.
// Built and run on the build machine while the Windows program is built.
#include <cstdio>
#include <string>
#include <string_view>

#include "res/templates.h"

namespace {

using namespace korvel;

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += "\"\"";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out + "\"";
}

void WriteItems(std::span<const MenuItemTemplate> items, int depth) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  std::printf("%sBEGIN\n", indent.c_str());
  for (const MenuItemTemplate& item : items) {
    if (item.separator) {
      std::printf("%s  MENUITEM SEPARATOR\n", indent.c_str());
    } else if (!item.children.empty()) {
      std::printf("%s  POPUP %s\n", indent.c_str(), Quoted(item.text).c_str());
      WriteItems(item.children, depth + 1);
    } else {
      std::printf("%s  MENUITEM %s, %u\n", indent.c_str(), Quoted(item.text).c_str(), item.command);
    }
  }
  std::printf("%sEND\n", indent.c_str());
}

}  // namespace

int main() {
  const ResourceTables& tables = ProgramResources();
  for (const MenuTemplate& menu : tables.menus) {
    std::printf("%d MENU\n", menu.id);
    WriteItems(menu.items, 0);
  }
  for (const AcceleratorTable& table : tables.accelerators) {
    std::printf("%d ACCELERATORS\nBEGIN\n", table.id);
    for (const AcceleratorEntry& entry : table.entries) {
      std::printf("  %u, %u", static_cast<unsigned>(entry.key), static_cast<unsigned>(entry.cmd));
      if (entry.fVirt & FVIRTKEY) std::printf(", VIRTKEY");
      if (entry.fVirt & FSHIFT) std::printf(", SHIFT");
      if (entry.fVirt & FCONTROL) std::printf(", CONTROL");
      if (entry.fVirt & FALT) std::printf(", ALT");
      if (entry.fVirt & FNOINVERT) std::printf(", NOINVERT");
      std::printf("\n");
    }
    std::printf("END\n");
  }
  return 0;
}
