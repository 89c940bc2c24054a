// Form1: the viewer's main window. A ribbon stand-in with the play and render commands, the
// file menu, the embedded viewer, the status line, and the morph sequencer it drives.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <string>

#include "morph/MorphSequencer.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QMenu;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace Brelix {
class UlBrelixControl;
}

namespace Tessavine {

// Converts a window string to a narrow string in the local 8-bit encoding.
void MarshalString(const QString& s, std::string& os);

// The main window. Controls carry their designer names as object names; each handler is named
// after the control and event that call it and delegates the model work to the sequencer.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Turntable centre: the model turns about the axis through it parallel to z.
  static constexpr float kTurntableX = 0.147256f, kTurntableY = 0.414707f, kTurntableZ = 0.38072f;

  MorphSequencer sequencer;  // the model set, the sequence index and the morph engine
  float r_time = 0.0f;       // turntable angle in degrees, 0 .. 357 in steps of 3

  // --- Handlers -----------------------------------------------------------------------
  void OpenAGIM_buttonItem_Click();  // shows the open-models dialog
  // Loads the named files as the next models of the sequence, with the viewer's context
  // current; shows load errors and a first layout difference in the status line; frames the
  // model after the first opening that brings patches.
  void openAGIM_FileDialog_FileOk(const QStringList& names);
  void buttonItem14_Click();     // play: the morph timer runs
  void stop_buttonItem_Click();  // stop: the morph timer stops
  void Morph_timer_Tick();       // one morph step, a stage advance at its end, a repaint
  void ulbrelixControl1_Paint();   // turntable transform and the current working model
  void ulbrelixControl1_Load();    // nothing
  void ulbrelixControl1_Resize();  // nothing
  void Wire_frame_CheckBT_Click();  // repaints with or without the wireframe
  void Read_ViewPortBT_Click();     // shows the read-viewport dialog
  void openViewPort_FileDialog_FileOk(const QString& name);  // reads a camera file, repaints
  void Save_ViewPortBT_Click();     // shows the save-viewport dialog
  void saveViewPort_FileDialog_FileOk(const QString& name);  // writes a camera file, repaints
  void Rotate_Click();              // starts or stops the turntable
  void Rotate_timer_Tick();         // turntable 3 degrees on, wrapping at 360 to 0; repaints
  void View_All_Click();            // frames the current working model (with its sweep)

  Brelix::UlBrelixControl* Viewer() const { return ulbrelixControl1; }  // the viewer control

 private:
  void InitializeComponent();  // builds the controls and wires their events
  void Show_Status(const QString& text);  // puts a line in the status line

  QTabWidget* ribbonControl1 = nullptr;
  QWidget* ribbonTabItem1 = nullptr;  // "PlayControl_Tab"
  QWidget* ribbonTabItem2 = nullptr;  // "Render_Control"
  QWidget* ribbonPanel1 = nullptr;
  QWidget* ribbonPanel2 = nullptr;
  QGroupBox* ribbonBar1 = nullptr;  // "Morph Control Panel"
  QGroupBox* ribbonBar2 = nullptr;  // render commands
  QToolButton* play_buttonitem = nullptr;
  QToolButton* stop_buttonItem = nullptr;
  QCheckBox* Wire_frame_CheckBT = nullptr;
  QToolButton* Read_ViewPortBT = nullptr;
  QToolButton* Save_ViewPortBT = nullptr;
  QToolButton* Rotate = nullptr;
  QToolButton* ViewAll_BT = nullptr;
  QToolButton* office2007StartButton1 = nullptr;  // "&File"
  QMenu* itemContainer1 = nullptr;                // the file menu
  QAction* OpenAGIM_buttonItem = nullptr;
  QAction* buttonItem7 = nullptr;   // "&Close": inert
  QAction* buttonItem12 = nullptr;  // "Opt&ions": inert
  QAction* buttonItem13 = nullptr;  // "E&xit": closes the window
  QWidget* panelDockContainer1 = nullptr;
  Brelix::UlBrelixControl* ulbrelixControl1 = nullptr;
  QTimer* Morph_timer = nullptr;   // 50 ms
  QTimer* Rotate_timer = nullptr;  // 70 ms
  QFileDialog* openAGIM_FileDialog = nullptr;
  QFileDialog* openViewPort_FileDialog = nullptr;
  QFileDialog* saveViewPort_FileDialog = nullptr;

  bool framed_ = false;               // the first opening with patches framed the view
  bool layout_notice_shown_ = false;  // the layout difference was reported once
};

}  // namespace Tessavine
