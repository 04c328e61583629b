// The test's own folder, and small file helpers.
#pragma once

#include <string>

#include "tests/support/Sandbox.h"

using brelko::test::TempDir;

inline std::string Slurp(const std::string& path) { return brelko::test::ReadFile(path); }
inline void Put(const std::string& path, const std::string& text) { brelko::test::WriteFile(path, text); }

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
