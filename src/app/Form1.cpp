#include "app/Form1.h"

#include <GL/gl.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/ButtonPictures.h"
#include "app/UlBrelixControl.h"
#include "render/DrawSink.h"

namespace Tessavine {

void MarshalString(const QString& s, std::string& os) { os = s.toLocal8Bit().toStdString(); }

namespace {

// A ribbon command button: caption under its picture (if any).
QToolButton* ribbon_button(const QString& name, const QString& caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setAutoRaise(true);
  return b;
}

// A tab of the ribbon: the tab page holds its panel, the panel its button group at the left.
QWidget* ribbon_tab(const QString& tab_name, const QString& panel_name, QWidget** panel,
                    QGroupBox* group) {
  auto* tab = new QWidget;
  tab->setObjectName(tab_name);
  auto* tab_layout = new QHBoxLayout(tab);
  tab_layout->setContentsMargins(0, 0, 0, 0);
  *panel = new QWidget(tab);
  (*panel)->setObjectName(panel_name);
  tab_layout->addWidget(*panel);
  auto* panel_layout = new QHBoxLayout(*panel);
  panel_layout->setContentsMargins(4, 0, 4, 4);
  panel_layout->addWidget(group);
  panel_layout->addStretch(1);
  return tab;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  InitializeComponent();
  // The model state: no models, index 0, an engine with two empty working models (the
  // sequencer member); the timers follow the sequencer's playing state.
  sequencer.Repaint_Request = [this] { ulbrelixControl1->update(); };
  sequencer.Playing_Changed = [this](bool playing) {
    if (playing)
      Morph_timer->start();
    else
      Morph_timer->stop();
  };
}

Form1::~Form1() {
  // The viewer's buffers belong to its context: release the models while it is current.
  if (ulbrelixControl1->context() != nullptr) ulbrelixControl1->makeCurrent();
}

void Form1::InitializeComponent() {
  setObjectName("Form1");
  setWindowTitle("Form1");

  auto* central = new QWidget(this);
  central->setObjectName("dockSite9");
  auto* central_layout = new QVBoxLayout(central);
  central_layout->setContentsMargins(4, 1, 4, 4);
  central_layout->setSpacing(2);

  // Morph Control Panel: play and pause, pictures shown at 50 x 50.
  ribbonBar1 = new QGroupBox("Morph Control Panel");
  ribbonBar1->setObjectName("ribbonBar1");
  auto* bar1_layout = new QHBoxLayout(ribbonBar1);
  play_buttonitem = ribbon_button("play_buttonitem", "New", ribbonBar1);
  play_buttonitem->setIcon(QIcon(QPixmap::fromImage(Play_Picture())));
  stop_buttonItem = ribbon_button("stop_buttonItem", "buttonItem3", ribbonBar1);
  stop_buttonItem->setIcon(QIcon(QPixmap::fromImage(Pause_Picture())));
  for (QToolButton* b : {play_buttonitem, stop_buttonItem}) {
    b->setIconSize(QSize(50, 50));
    bar1_layout->addWidget(b);
  }

  // Render commands.
  ribbonBar2 = new QGroupBox("ribbonBar2");
  ribbonBar2->setObjectName("ribbonBar2");
  auto* bar2_layout = new QHBoxLayout(ribbonBar2);
  Wire_frame_CheckBT = new QCheckBox("Show_Wireframe", ribbonBar2);
  Wire_frame_CheckBT->setObjectName("Wire_frame_CheckBT");
  Wire_frame_CheckBT->setChecked(false);
  bar2_layout->addWidget(Wire_frame_CheckBT);
  Read_ViewPortBT = ribbon_button("Read_ViewPortBT", "Read_View", ribbonBar2);
  Save_ViewPortBT = ribbon_button("Save_ViewPortBT", "Save_ViewPort", ribbonBar2);
  Rotate = ribbon_button("Rotate", "Rotate", ribbonBar2);
  ViewAll_BT = ribbon_button("ViewAll_BT", "View all", ribbonBar2);
  for (QToolButton* b : {Read_ViewPortBT, Save_ViewPortBT, Rotate, ViewAll_BT}) {
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar2_layout->addWidget(b);
  }

  ribbonControl1 = new QTabWidget(central);
  ribbonControl1->setObjectName("ribbonControl1");
  ribbonTabItem1 = ribbon_tab("ribbonTabItem1", "ribbonPanel1", &ribbonPanel1, ribbonBar1);
  ribbonTabItem2 = ribbon_tab("ribbonTabItem2", "ribbonPanel2", &ribbonPanel2, ribbonBar2);
  ribbonControl1->addTab(ribbonTabItem1, "PlayControl_Tab");
  ribbonControl1->addTab(ribbonTabItem2, "Render_Control");
  ribbonControl1->setCurrentWidget(ribbonTabItem2);
  ribbonControl1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  // The application button with the file menu, at the left of the tabs.
  office2007StartButton1 = new QToolButton(ribbonControl1);
  office2007StartButton1->setObjectName("office2007StartButton1");
  office2007StartButton1->setText("&File");
  office2007StartButton1->setPopupMode(QToolButton::InstantPopup);
  office2007StartButton1->setToolButtonStyle(Qt::ToolButtonTextOnly);
  itemContainer1 = new QMenu(office2007StartButton1);
  itemContainer1->setObjectName("itemContainer1");
  QStyle* st = style();
  OpenAGIM_buttonItem = itemContainer1->addAction(st->standardIcon(QStyle::SP_DirOpenIcon), "&Open...");
  OpenAGIM_buttonItem->setObjectName("OpenAGIM_buttonItem");
  itemContainer1->addSeparator();
  buttonItem7 = itemContainer1->addAction(st->standardIcon(QStyle::SP_DirClosedIcon), "&Close");
  buttonItem7->setObjectName("buttonItem7");
  itemContainer1->addSeparator();
  buttonItem12 = itemContainer1->addAction(st->standardIcon(QStyle::SP_FileDialogDetailedView), "Opt&ions");
  buttonItem12->setObjectName("buttonItem12");
  buttonItem13 = itemContainer1->addAction(st->standardIcon(QStyle::SP_DialogCloseButton), "E&xit");
  buttonItem13->setObjectName("buttonItem13");
  office2007StartButton1->setMenu(itemContainer1);
  ribbonControl1->setCornerWidget(office2007StartButton1, Qt::TopLeftCorner);
  central_layout->addWidget(ribbonControl1);

  // The viewer fills the rest.
  panelDockContainer1 = new QWidget(central);
  panelDockContainer1->setObjectName("panelDockContainer1");
  auto* panel_layout = new QVBoxLayout(panelDockContainer1);
  panel_layout->setContentsMargins(4, 4, 4, 4);
  ulbrelixControl1 = new Brelix::UlBrelixControl(panelDockContainer1);
  ulbrelixControl1->setObjectName("ulbrelixControl1");
  panel_layout->addWidget(ulbrelixControl1);
  central_layout->addWidget(panelDockContainer1, 1);
  setCentralWidget(central);
  statusBar()->setObjectName("statusLine");

  Morph_timer = new QTimer(this);
  Morph_timer->setObjectName("Morph_timer");
  Morph_timer->setInterval(50);
  Rotate_timer = new QTimer(this);
  Rotate_timer->setObjectName("Rotate_timer");
  Rotate_timer->setInterval(70);

  openAGIM_FileDialog = new QFileDialog(this, "Open");
  openAGIM_FileDialog->setObjectName("openAGIM_FileDialog");
  openAGIM_FileDialog->setFileMode(QFileDialog::ExistingFiles);
  openAGIM_FileDialog->selectFile("openAGIM_FileDialog");
  openViewPort_FileDialog = new QFileDialog(this, "Open");
  openViewPort_FileDialog->setObjectName("openViewPort_FileDialog");
  openViewPort_FileDialog->setFileMode(QFileDialog::ExistingFile);
  openViewPort_FileDialog->selectFile("openFileDialog1");
  saveViewPort_FileDialog = new QFileDialog(this, "Save As");
  saveViewPort_FileDialog->setObjectName("saveViewPort_FileDialog");
  saveViewPort_FileDialog->setAcceptMode(QFileDialog::AcceptSave);
  saveViewPort_FileDialog->setFileMode(QFileDialog::AnyFile);

  // Events.
  connect(OpenAGIM_buttonItem, &QAction::triggered, this, [this] { OpenAGIM_buttonItem_Click(); });
  connect(buttonItem13, &QAction::triggered, this, &QWidget::close);
  connect(play_buttonitem, &QToolButton::clicked, this, [this] { buttonItem14_Click(); });
  connect(stop_buttonItem, &QToolButton::clicked, this, [this] { stop_buttonItem_Click(); });
  connect(Morph_timer, &QTimer::timeout, this, [this] { Morph_timer_Tick(); });
  connect(Rotate_timer, &QTimer::timeout, this, [this] { Rotate_timer_Tick(); });
  connect(Wire_frame_CheckBT, &QCheckBox::clicked, this, [this] { Wire_frame_CheckBT_Click(); });
  connect(Read_ViewPortBT, &QToolButton::clicked, this, [this] { Read_ViewPortBT_Click(); });
  connect(Save_ViewPortBT, &QToolButton::clicked, this, [this] { Save_ViewPortBT_Click(); });
  connect(Rotate, &QToolButton::clicked, this, [this] { Rotate_Click(); });
  connect(ViewAll_BT, &QToolButton::clicked, this, [this] { View_All_Click(); });
  connect(ulbrelixControl1, &Brelix::UlBrelixControl::Paint, this, [this] { ulbrelixControl1_Paint(); });
  connect(ulbrelixControl1, &Brelix::UlBrelixControl::Load, this, [this] { ulbrelixControl1_Load(); });
  connect(ulbrelixControl1, &Brelix::UlBrelixControl::Resize, this, [this] { ulbrelixControl1_Resize(); });

  resize(1013, 834);
}

void Form1::Show_Status(const QString& text) { statusBar()->showMessage(text); }

void Form1::OpenAGIM_buttonItem_Click() {
  if (openAGIM_FileDialog->exec() == QDialog::Accepted)
    openAGIM_FileDialog_FileOk(openAGIM_FileDialog->selectedFiles());
}

void Form1::openAGIM_FileDialog_FileOk(const QStringList& names) {
  std::vector<std::string> narrow;
  narrow.reserve(static_cast<std::size_t>(names.size()));
  for (const QString& name : names) {
    std::string s;
    MarshalString(name, s);
    narrow.push_back(std::move(s));
  }
  // Loading uploads buffers: the viewer's context must be current.
  const bool has_context = ulbrelixControl1->context() != nullptr;
  if (has_context) ulbrelixControl1->makeCurrent();
  const std::vector<std::string> errors = sequencer.Open_Files(narrow);
  if (has_context) ulbrelixControl1->doneCurrent();

  QStringList status;
  for (const std::string& e : errors) status << QString::fromLocal8Bit(e.c_str());
  if (!layout_notice_shown_) {
    const std::string layout = sequencer.Layout_Difference();
    if (!layout.empty()) {
      status << QString::fromLocal8Bit(layout.c_str());
      layout_notice_shown_ = true;
    }
  }
  if (status.isEmpty())
    status << QString("Opened %1 file(s); %2 model(s) in the sequence")
                  .arg(names.size())
                  .arg(sequencer.AGIM_Model_Set.size());
  Show_Status(status.join("  |  "));

  // A newcomer sees the model: the first opening that brings patches frames it.
  if (!framed_ && sequencer.Morph_instance->Get_Current_AGIM().element_count > 0) {
    framed_ = true;
    View_All_Click();
  }
}

void Form1::buttonItem14_Click() { sequencer.Play(); }

void Form1::stop_buttonItem_Click() { sequencer.Stop(); }

void Form1::Morph_timer_Tick() { sequencer.Tick(); }

void Form1::ulbrelixControl1_Paint() {
  glPushMatrix();
  glTranslatef(kTurntableX, kTurntableY, kTurntableZ);
  glRotatef(-r_time, 0.0f, 0.0f, 1.0f);
  glTranslatef(-kTurntableX, -kTurntableY, -kTurntableZ);
  agim::Draw().Enable(GL_COLOR_MATERIAL);
  const AGIM& m = sequencer.Morph_instance->Get_Current_AGIM();
  if (!m.elements.empty()) {
    m.Render_AGIM();
    if (Wire_frame_CheckBT->isChecked()) m.Render_AGIM_Wireframe();
  }
  glPopMatrix();
}

void Form1::ulbrelixControl1_Load() {}

void Form1::ulbrelixControl1_Resize() {}

void Form1::Wire_frame_CheckBT_Click() { ulbrelixControl1->update(); }

void Form1::Read_ViewPortBT_Click() {
  if (openViewPort_FileDialog->exec() == QDialog::Accepted && !openViewPort_FileDialog->selectedFiles().isEmpty())
    openViewPort_FileDialog_FileOk(openViewPort_FileDialog->selectedFiles().first());
}

void Form1::openViewPort_FileDialog_FileOk(const QString& name) {
  std::string s;
  MarshalString(name, s);
  if (!ulbrelixControl1->Read_Viewport(s.c_str())) Show_Status(ulbrelixControl1->Last_Error());
  ulbrelixControl1->update();
}

void Form1::Save_ViewPortBT_Click() {
  if (saveViewPort_FileDialog->exec() == QDialog::Accepted && !saveViewPort_FileDialog->selectedFiles().isEmpty())
    saveViewPort_FileDialog_FileOk(saveViewPort_FileDialog->selectedFiles().first());
}

void Form1::saveViewPort_FileDialog_FileOk(const QString& name) {
  std::string s;
  MarshalString(name, s);
  if (!ulbrelixControl1->Save_Viewport(s.c_str())) Show_Status(ulbrelixControl1->Last_Error());
  ulbrelixControl1->update();
}

void Form1::Rotate_Click() {
  if (Rotate_timer->isActive())
    Rotate_timer->stop();
  else
    Rotate_timer->start();
}

void Form1::Rotate_timer_Tick() {
  r_time = r_time + 3.0f;
  if (r_time == 360.0f) r_time = 0.0f;
  ulbrelixControl1->update();
}

void Form1::View_All_Click() {
  const AGIM& m = sequencer.Morph_instance->Get_Current_AGIM();
  constexpr double inf = std::numeric_limits<double>::infinity();
  Brelix::Vec3d lo(inf, inf, inf), hi(-inf, -inf, -inf);
  for (const AGIM_element& e : m.elements) {
    const int n = e.position_grid.size();
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const Point& p = e.position_grid[r][c];
        const Brelix::Vec3d v(p.x, p.y, p.z);
        if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) continue;
        lo.minimize(v);
        hi.maximize(v);
      }
  }
  if (!(lo[0] <= hi[0])) return;  // nothing to frame
  // The turntable sweeps the box about the vertical axis through the centre: frame the
  // cylinder it sweeps, so the model stays in view while it turns.
  double reach = 0.0;
  for (double x : {lo[0], hi[0]})
    for (double y : {lo[1], hi[1]}) reach = std::max(reach, std::hypot(x - kTurntableX, y - kTurntableY));
  const double half_height = (hi[2] - lo[2]) * 0.5;
  const Brelix::Vec3d centre(kTurntableX, kTurntableY, (lo[2] + hi[2]) * 0.5);
  ulbrelixControl1->Camera().Frame_Sphere(centre, std::hypot(reach, half_height));
  ulbrelixControl1->update();
}

}  // namespace Tessavine
