// agim-viewer: opens the main window; model files given as arguments open as one sequence, as
// if chosen in the open dialog, and --play starts the morph.
#include <QApplication>
#include <QStringList>
#include <QSurfaceFormat>
#include <QTimer>
#include <cstdio>

#include "app/Form1.h"
#include "app/UlBrelixControl.h"

int main(int argc, char** argv) {
  QSurfaceFormat::setDefaultFormat(Brelix::UlBrelixControl::Surface_Format());
  QApplication app(argc, argv);

  QStringList files;
  bool play = false;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == "--play")
      play = true;
    else if (args[i].startsWith("--"))
      std::fprintf(stderr, "agim-viewer: unknown option %s ignored (usage: agim-viewer [--play] [model files...])\n",
                   args[i].toLocal8Bit().constData());
    else
      files << args[i];
  }

  Tessavine::Form1 window;
  window.show();
  // Open once the event loop runs, when the viewer's context exists for the uploads.
  if (!files.isEmpty() || play)
    QTimer::singleShot(0, &window, [&window, files, play] {
      if (!files.isEmpty()) window.openAGIM_FileDialog_FileOk(files);
      if (play) window.buttonItem14_Click();
    });
  app.exec();
  return 0;
}
