// The headless renderer's command line: renders a model, or a morph through a sequence of
// model files, to numbered PNG frames without a display.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace agim {

// The usage text printed by --help and after a bad option.
std::string render_tool_usage();

// Runs the renderer on `args` (the command line without the program name), printing progress
// to `out` and errors to `err`. Returns the process exit code: 0 on success, 1 on any failure
// (bad option, unreadable or malformed model file, no OpenGL, unwritable output).
int run_render_tool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace agim
