// CommandLine: what the viewer's arguments ask for: model files to open as one sequence, and
// whether to start the morph.
#pragma once

#include <QStringList>

namespace Tessavine {

class Form1;

// The parsed arguments (the program name excluded).
struct CommandLine {
  QStringList files;    // model files, in the order given
  bool play = false;    // --play: start the morph after opening
  QStringList unknown;  // options not understood; reported and ignored
};

// Splits the arguments (without the program name): "--play", other "--" options, file names.
CommandLine Parse_Command_Line(const QStringList& args);
// Opens the files as if chosen in the open dialog, then presses play when asked.
void Apply_Command_Line(Form1& window, const CommandLine& command);

}  // namespace Tessavine
