#pragma once
// The program's resources as data: dialog templates 100, 102 and 103, menu
// 135, accelerator table 136, the icons and the about-box bitmap, and the tooltip
// texts of the main dialog. The program hands ProgramResources() to the layer
// (SetResourceTables); then the Find* functions of ui/resource_types.h look
// them up by id.
#include <span>
#include <string_view>

#include "res/resource.h"
#include "ui/resource_types.h"

namespace korvel {

struct ToolTipText {
  int control;
  std::string_view text;
};

// The main dialog's tooltips, in the order they are added.
const ResourceTables& ProgramResources();
std::span<const ToolTipText> MainDialogToolTips();

std::span<const DialogTemplate> AllDialogTemplates();
std::span<const IconResource> AllIcons();

}  // namespace korvel
