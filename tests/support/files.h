#pragma once
// Whole files as bytes, for the tests.
#include <string>

namespace korvel::testing {

// The file's bytes; empty when it cannot be read.
std::string ReadAll(const std::string& path);
// Replaces the file's content by `bytes`.
void WriteAll(const std::string& path, const std::string& bytes);

}  // namespace korvel::testing
