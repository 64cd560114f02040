#include "ui/resource_types.h"

#include <algorithm>

namespace korvel {
namespace {

ResourceTables& Installed() {
  static ResourceTables tables;
  return tables;
}

template <class Resource>
const Resource* FindById(std::span<const Resource> table, int id) {
  const auto it =
      std::find_if(table.begin(), table.end(), [id](const Resource& r) { return r.id == id; });
  return it == table.end() ? nullptr : &*it;
}

}  // namespace

void SetResourceTables(const ResourceTables& tables) { Installed() = tables; }

const DialogTemplate* FindDialogTemplate(int id) { return FindById(Installed().dialogs, id); }
const MenuTemplate* FindMenuTemplate(int id) { return FindById(Installed().menus, id); }
const AcceleratorTable* FindAcceleratorTable(int id) {
  return FindById(Installed().accelerators, id);
}
const IconResource* FindIcon(int id) { return FindById(Installed().icons, id); }
const BitmapResource* FindBitmap(int id) { return FindById(Installed().bitmaps, id); }

}  // namespace korvel
