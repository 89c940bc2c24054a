#include "app/CommandLine.h"

#include "app/Form1.h"

namespace Tessavine {

CommandLine Parse_Command_Line(const QStringList& args) {
  CommandLine command;
  for (const QString& arg : args) {
    if (arg == "--play")
      command.play = true;
    else if (arg.startsWith("--"))
      command.unknown << arg;
    else
      command.files << arg;
  }
  return command;
}

void Apply_Command_Line(Form1& window, const CommandLine& command) {
  if (!command.files.isEmpty()) window.openAGIM_FileDialog_FileOk(command.files);
  if (command.play) window.buttonItem14_Click();
}

}  // namespace Tessavine
