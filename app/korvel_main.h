#pragma once
// The program's entry for every desktop: a program's main() builds its
// backend and calls KorvelMain, which runs the one application object.
namespace korvel {

class Backend;

// Hands the program's resources to the layer and records the program's own
// path (its first argument) for ProgramFolder. KorvelMain calls it first; a
// test that runs an application object itself calls it before.
void PrepareProgram(const char* programPath);

int KorvelMain(int argc, char** argv, Backend& backend);

}  // namespace korvel
