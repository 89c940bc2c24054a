// agim-viewer: opens the main window; model files given as arguments open as one sequence, as
// if chosen in the open dialog, and --play starts the morph.
#include <QApplication>
#include <QStringList>
#include <QSurfaceFormat>
#include <QTimer>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/UlBrelixControl.h"

int main(int argc, char** argv) {
  QSurfaceFormat::setDefaultFormat(Brelix::UlBrelixControl::Surface_Format());
  QApplication app(argc, argv);

  const Tessavine::CommandLine command = Tessavine::Parse_Command_Line(QApplication::arguments().mid(1));
  for (const QString& option : command.unknown)
    std::fprintf(stderr, "agim-viewer: unknown option %s ignored (usage: agim-viewer [--play] [model files...])\n",
                 option.toLocal8Bit().constData());

  Tessavine::Form1 window;
  window.show();
  // Open once the event loop runs, when the viewer's context exists for the uploads.
  if (!command.files.isEmpty() || command.play)
    QTimer::singleShot(0, &window, [&window, command] { Tessavine::Apply_Command_Line(window, command); });
  app.exec();
  return 0;
}
