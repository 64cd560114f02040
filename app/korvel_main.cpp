#include "app/korvel_main.h"

#include "app/main_app.h"
#include "res/templates.h"
#include "scan/text_utils.h"
#include "ui/app.h"

namespace korvel {
namespace {

CMainApp theApp;

}  // namespace

void PrepareProgram(const char* programPath) {
  SetResourceTables(ProgramResources());
  SetProgramArgument(programPath != nullptr ? programPath : "");
}

int KorvelMain(int argc, char** argv, Backend& backend) {
  PrepareProgram(argc > 0 && argv != nullptr ? argv[0] : nullptr);
  return RunApplication(theApp, argc, argv, backend);
}

}  // namespace korvel
