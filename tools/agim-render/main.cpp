// agim-render: renders model files to PNG frames with no display (see --help).
#include <iostream>
#include <string>
#include <vector>

#include "render/RenderTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return agim::run_render_tool(args, std::cout, std::cerr);
}
