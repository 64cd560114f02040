#pragma once
// The program's entry for every desktop: a backend's main() builds its
// backend and calls this, which runs the one application object.
namespace korvel {

class Backend;

int KorvelMain(int argc, char** argv, Backend& backend);

}  // namespace korvel
