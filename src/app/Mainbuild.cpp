// The menus and tool bars of the main window.
#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QToolBar>
#include <QToolButton>

#include "app/Main.h"
#include "app/Zoomview.h"
#include "app/sequence/Sequencemenu.h"
#include "app/view/Viewtools.h"

namespace {

// A hint is "short|long": the short part is the tool tip, the long part goes to the status bar.
// A hint without a bar is both.
QString ShortHint(const char* hint) {
  QString text = hint;
  const qsizetype bar = text.indexOf('|');
  return bar < 0 ? text : text.left(bar);
}

QString LongHint(const char* hint) {
  QString text = hint;
  const qsizetype bar = text.indexOf('|');
  return bar < 0 ? text : text.mid(bar + 1);
}

QString IconPath(const char* icon) {
  return QString(":/icons/%1.svg").arg(icon);
}

}  // namespace

QAction* TMainForm::AddMenuItem(QMenu* menu, const char* name, const char* text,
                                void (TMainForm::*handler)(), const char* hint) {
  QAction* action = menu->addAction(text);
  action->setObjectName(name);
  if (hint != nullptr) action->setStatusTip(LongHint(hint));
  connect(action, &QAction::triggered, this,
          [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  return action;
}

QAction* TMainForm::AddToolButton(QToolBar* bar, const char* name, const char* icon,
                                  const char* hint, void (TMainForm::*handler)()) {
  QAction* action = bar->addAction(QIcon(IconPath(icon)), ShortHint(hint));
  action->setObjectName(QString(name) + "Action");
  action->setToolTip(ShortHint(hint));
  action->setStatusTip(LongHint(hint));
  bar->widgetForAction(action)->setObjectName(name);
  connect(action, &QAction::triggered, this,
          [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  return action;
}

QToolBar* TMainForm::AddToolBar(const char* name, const char* title, const char* hint) {
  QToolBar* bar = addToolBar(title);
  bar->setObjectName(name);
  bar->setToolTip(ShortHint(hint));
  bar->setStatusTip(LongHint(hint));
  bar->setIconSize(QSize(24, 24));
  return bar;
}

QAction* TMainForm::AddViewItem(QMenu* menu, const char* name, const char* text, QKeySequence key,
                                const std::function<void()>& handler) {
  QAction* action = menu->addAction(text);
  action->setObjectName(name);
  action->setShortcut(key);
  connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
  return action;
}

void TMainForm::BuildShortcuts() {
  // The usual keys of a desktop program on the commands they belong to.
  findChild<QAction*>("NewSegmentMenuItem")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  findChild<QAction*>("DoEncodingMenuItem")->setShortcut(QKeySequence(Qt::Key_F5));
  findChild<QAction*>("ExitMenuItem")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  // Ctrl+S saves the result of the stage at work: the encoding, else the segmentation, else the
  // matching.
  auto* save = new QAction(this);
  save->setObjectName("SaveCurrentResultAction");
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  save->setShortcutContext(Qt::WindowShortcut);
  addAction(save);
  connect(save, &QAction::triggered, this, [this] {
    RunCommand([this] {
      if (FEncoder)
        SaveEncodeResultMenuItemClick();
      else if (FSegmenter)
        SaveSegmentResultMenuItemClick();
      else if (FMatcher)
        SaveMatchResultMenuItemClick();
    });
  });
}

void TMainForm::BuildMenus() {
  QMenu* system = menuBar()->addMenu("&System");
  system->setObjectName("SystemMenu");
  AddMenuItem(system, "DisplayImageMenuItem", "&Display image",
              &TMainForm::DisplayImageMenuItemClick);
  system->addSeparator();
  AddMenuItem(system, "SetScaleMenuItem", "Set &Scale", &TMainForm::SetScaleMenuItemClick);
  AddMenuItem(system, "SetCoordinateMenuItem", "Set &Coordinate",
              &TMainForm::SetCoordinateMenuItemClick,
              "Re-Set Coord.| Modify the default size of the coordinate system used by "
              "encodement");
  AddMenuItem(system, "SetWorkingDirectoryMenuItem", "Set &Working Directory",
              &TMainForm::SetWorkingDirectoryMenuItemClick);
  system->addSeparator();
  AddMenuItem(system, "ExitMenuItem", "E&xit", &TMainForm::ExitMenuItemClick);

  QMenu* segment = menuBar()->addMenu("Se&gment");
  segment->setObjectName("SegmentMenu");
  AddMenuItem(segment, "NewSegmentMenuItem", "&New Segment", &TMainForm::NewSegmentMenuItemClick);
  segment->addSeparator();
  AddMenuItem(segment, "MultiAreaSegmentMenuItem", "&Multi-Area Segment",
              &TMainForm::MultiAreaSegmentMenuItemClick);
  AddMenuItem(segment, "SimpleSegmentMenuItem", "S&imple Segment",
              &TMainForm::SimpleSegmentMenuItemClick);
  segment->addSeparator();
  AddMenuItem(segment, "ReLoadImageMenuItem", "&Re-Load Image",
              &TMainForm::ReLoadImageMenuItemClick);
  segment->addSeparator();
  AddMenuItem(segment, "FilterMenuItem", "&Filter", &TMainForm::FilterMenuItemClick);
  segment->addSeparator();
  AddMenuItem(segment, "SaveSegmentResultMenuItem", "&Save Result",
              &TMainForm::SaveSegmentResultMenuItemClick);

  QMenu* encode = menuBar()->addMenu("&Encode");
  encode->setObjectName("EncodeMenu");
  AddMenuItem(encode, "NewEncodeMenuItem", "&New Encode", &TMainForm::NewEncodeMenuItemClick);
  encode->addSeparator();
  AddMenuItem(encode, "DoEncodingMenuItem", "&Do Encoding", &TMainForm::DoEncodingMenuItemClick);
  encode->addSeparator();
  AddMenuItem(encode, "ShowPositionMenuItem", "Show &Position",
              &TMainForm::ShowPositionMenuItemClick);
  encode->addSeparator();
  AddMenuItem(encode, "SaveEncodeResultMenuItem", "&Save Result",
              &TMainForm::SaveEncodeResultMenuItemClick);

  QMenu* match = menuBar()->addMenu("&Match");
  match->setObjectName("MatchMenu");
  AddMenuItem(match, "DoMatchingMenuItem", "&Do Matching", &TMainForm::DoMatchingMenuItemClick);
  match->addSeparator();
  AddMenuItem(match, "SaveMatchResultMenuItem", "&Save Result",
              &TMainForm::SaveMatchResultMenuItemClick);
  match->addSeparator();
  AddMenuItem(match, "StrainResultMenuItem", "S&train Result",
              &TMainForm::StrainResultMenuItemClick,
              "Strain Result|the strain of the matched dots, mapped over the initial picture");
  AddSequenceItems(*this, match);

  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("ViewMenu");
  AddMenuItem(view, "SegmentParameterMenuItem", "&Segment Parameter",
              &TMainForm::SegmentParameterMenuItemClick);
  AddMenuItem(view, "EncodeParameterMenuItem", "&Encode Parameter",
              &TMainForm::EncodeParameterMenuItemClick);
  view->addSeparator();
  FDelayMenuItem = AddMenuItem(view, "DelayMenuItem", "&Delay", &TMainForm::DelayMenuItemClick);
  FDelayMenuItem->setCheckable(true);
  view->addSeparator();
  AddViewItem(view, "FitPictureMenuItem", "&Fit Picture", QKeySequence(Qt::CTRL | Qt::Key_0),
              [this] { FImageView->FitToWindow(); });
  AddViewItem(view, "ActualSizeMenuItem", "&Actual Size (1:1)", QKeySequence(Qt::CTRL | Qt::Key_1),
              [this] { FImageView->ActualSize(); });
  QAction* in = AddViewItem(view, "ZoomInMenuItem", "Zoom &In", QKeySequence::ZoomIn,
                            [this] { FImageView->ZoomIn(); });
  // Ctrl+= as well: on most keyboards "+" needs Shift.
  in->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  AddViewItem(view, "ZoomOutMenuItem", "Zoom &Out", QKeySequence::ZoomOut,
              [this] { FImageView->ZoomOut(); });
  AddViewTools(*this, view);

  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("HelpMenu");
  AddMenuItem(help, "AboutMenuItem", "&About", &TMainForm::AboutMenuItemClick);
}

void TMainForm::BuildToolBars() {
  QToolBar* system =
      AddToolBar("SystemToolBar", "System",
                 "System Config|The system configuration will be used by all in the application");
  AddToolButton(system, "SetWorkingDirectoryToolButton", "workdir",
                "Working Directory| select the working directory",
                &TMainForm::SetWorkingDirectoryMenuItemClick);
  AddToolButton(system, "SetCoordinateToolButton", "coordinate",
                "re-size coordinate | re-size the coordinate system, and make sure "
                "thiscoordinate can hold all the grids",
                &TMainForm::SetCoordinateMenuItemClick);
  AddToolButton(system, "SetScaleToolButton", "scale", "Set Scale|set the x and y scale",
                &TMainForm::SetScaleMenuItemClick);
  FWhiteDotAction = AddToolButton(
      system, "WhiteDotToolButton", "whitedots",
      "White or Black grid| when segment or encode use this, so you must set it to right",
      &TMainForm::WhiteDotToolButtonClick);

  QToolBar* segment =
      AddToolBar("SegmentToolBar", "Segment",
                 "Segment Tools| use the tools in this panel you can complete segment");
  AddToolButton(segment, "NewSegmentToolButton", "newsegment",
                "New segment| create a new segment modul, so you can do segment after fill "
                "this information",
                &TMainForm::NewSegmentMenuItemClick);
  AddToolButton(segment, "MultiAreaSegmentToolButton", "multiarea",
                "Multi Area Segment| fill in  the segment parameter and do segment",
                &TMainForm::MultiAreaSegmentMenuItemClick);
  AddToolButton(segment, "SimpleSegmentToolButton", "simplesegment",
                "Simple segment|do simple segment , use a single threshold",
                &TMainForm::SimpleSegmentMenuItemClick);
  AddToolButton(segment, "SaveSegmentResultToolButton", "savesegment",
                "Save Segment Result|save the segment result to a file",
                &TMainForm::SaveSegmentResultMenuItemClick);

  QToolBar* encode =
      AddToolBar("EncodeToolBar", "Encode", "Encode Tools| use this you can encode the grid");
  AddToolButton(encode, "NewEncodeToolButton", "newencode",
                "New Encode|open an image and prepare to do encoding",
                &TMainForm::NewEncodeMenuItemClick);
  AddToolButton(encode, "DoEncodingToolButton", "doencoding",
                "Encode| Encoding the grid, when it can not encode automatedly, you should do "
                "it manually",
                &TMainForm::DoEncodingMenuItemClick);
  AddToolButton(encode, "ShowPositionToolButton", "showposition",
                "Show position|show grid codes and position",
                &TMainForm::ShowPositionMenuItemClick);
  AddToolButton(encode, "SaveEncodeResultToolButton", "savecodes",
                "Save codes|save the encoding result to a file",
                &TMainForm::SaveEncodeResultMenuItemClick);

  QToolBar* match = AddToolBar("MatchToolBar", "Match",
                               "Match Tools| use this you can match two code file's data");
  AddToolButton(match, "DoMatchingToolButton", "domatching",
                "Match|fill in two code files information and do matching",
                &TMainForm::DoMatchingMenuItemClick);
  AddToolButton(match, "SaveMatchResultToolButton", "savematch",
                "Save match Result|save match result to a data file",
                &TMainForm::SaveMatchResultMenuItemClick);

  QToolBar* application = AddToolBar(
      "ApplicationToolBar", "Application",
      "Application Tools| in this panel, show the status of the application and show the logo");
  // The run-status indicator: a button without an action, green when idle, red when busy.
  const char* statusHint =
      "Application Status| show the status of this applicaiton, green is idle, red is busy";
  FRunStatusButton = new QToolButton(application);
  FRunStatusButton->setObjectName("RunStatusToolButton");
  FRunStatusButton->setAutoRaise(true);
  FRunStatusButton->setIconSize(QSize(24, 24));
  FRunStatusButton->setToolTip(ShortHint(statusHint));
  FRunStatusButton->setStatusTip(LongHint(statusHint));
  application->addWidget(FRunStatusButton);
  SetRunStatus(false);
  AddToolButton(application, "AboutToolButton", "about",
                "About|show the about window of this application", &TMainForm::AboutMenuItemClick);
  AddToolButton(application, "ExitToolButton", "exit", "Exit| exit this application",
                &TMainForm::ExitMenuItemClick);
}
