#include "app/korvel_main.h"

#include "app/main_app.h"

namespace korvel {
namespace {

CMainApp theApp;

}  // namespace

int KorvelMain(int argc, char** argv, Backend& backend) {
  return RunApplication(theApp, argc, argv, backend);
}

}  // namespace korvel
