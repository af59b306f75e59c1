#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Shell.h"
#include "encode/Dotinfo.h"
#include "image/Grayimage.h"
#include "workflow/Workflow.h"

class QAction;
class QDockWidget;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class TAboutBox;
class TBusyFilter;
class TComputeScaleForm;
class TEncode;
class TEncodeParameterForm;
class TManualForm;
class TRecentFiles;
struct TEncodeRunHooks;
struct TEncodeRunOptions;
class TZoomView;
class TPaintBox;
class TPlatform;
class TSegmentParameterForm;
class TStrainResultForm;
class TToolWindows;
class TViewSurface;

// The main window. It holds the workflow state (TWorkflow), which the tool dialogs read and
// write through Workflow(). The commands are spread over Main.cpp (window,
// System, View and Help), Mainbuild.cpp (menus and tool bars), Mainview.cpp (the image view),
// Mainsegment.cpp, Mainencode.cpp and Mainmatch.cpp (the Segment, Encode and Match menus), and
// Maincodeview.cpp (a code file opened for viewing).
struct TRegisterReference;
struct TRegisterOptions;

class TMainForm : public QMainWindow, public TShell {
  Q_OBJECT
 public:
  explicit TMainForm(TPlatform& platform, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The long-lived tool dialogs, created hidden at start-up.
  TComputeScaleForm* ComputeScaleForm() const { return FComputeScaleForm; }
  TEncodeParameterForm* EncodeParameterForm() const { return FEncodeParameterForm; }
  TSegmentParameterForm* SegmentParameterForm() const { return FSegmentParameterForm; }
  // The strain of the matching job, docked beside the view; null before the first Do Matching.
  TStrainResultForm* StrainResultForm() const { return FStrainResultForm; }
  TManualForm* ManualForm() const { return FManualForm; }
  // A rubber-band drag over the view is in progress.
  bool Dragging() const { return FDragging; }

  QMainWindow& Window() override { return *this; }
  TPlatform& Platform() override { return FPlatform; }
  // The jobs, picks, scale factors, working directory and encoding stage.
  TWorkflow& Workflow() override { return FWorkflow; }
  const TWorkflow& Workflow() const override { return FWorkflow; }
  TZoomView* ImageView() const override { return FImageView; }
  TPaintBox* PaintBox() const override;
  TViewSurface& ViewSurface() override;
  QToolButton* RunStatusButton() const { return FRunStatusButton; }
  bool Busy() const { return FBusy; }
  // Drops input while a long command runs and tells the command when Esc was pressed.
  TBusyFilter& BusyFilter() const { return *FBusyFilter; }
  // Places the tool windows beside the picture and remembers where the user puts them.
  TToolWindows& ToolWindows() const { return *FToolWindows; }
  // The picture's part of the screen, in global coordinates (the view's visible part of it).
  QRect PictureOnScreen() const;
  // The menu bar and the tool bars, in global coordinates.
  QRect ControlsOnScreen() const;

  // Runs one command; an error ends it and goes to the top-level handler, so no exception
  // reaches the event loop. A command that drew on the view closes the strain result window. A
  // command cancelled with Esc has put everything back; the status bar says so.
  void RunCommand(const std::function<void()>& command) override;
  // The top-level handler: the message in a stop box, with "." appended where it belongs.
  void ShowException(const std::string& message);

  // Sizes the image view's picture to w x h (fitted to the window when larger) and repaints it.
  void FitImageView(int32_t w, int32_t h);
  // Draws the picture the view is to show (encoding job, else segmentation job, else the viewed
  // picture) into the view; an empty view without any.
  void PaintBoxPaint();
  // Draws the segmentation job's picture on the view.
  void DrawSegmentImage();
  // The frame of a long command: busy indicator and an immediate repaint, the work, then the
  // beep and the idle indicator, also when the work fails or is cancelled. While the work runs,
  // input is dropped and Esc asks it to stop (CancelRequested at its checkpoints).
  void LongCommand(const std::function<void()>& work) override;
  bool CancelRequested() override;

  // Commands of the System, View and Help menus.
  void DisplayImageMenuItemClick();
  // Releases the jobs and shows the picture of a file (a path used as given).
  void DisplayImage(const std::string& fileName);
  // Shows the dots of a code file, each marked with its grid indices, over the picture the file
  // names, looked for beside it (Maincodeview.cpp). The marks stay until the view shows
  // something else.
  void OpenCodeFile(const std::string& fileName);
  // The dots shown over the viewed picture by OpenCodeFile.
  const std::vector<TDotInfo>& CodeViewDots() const { return FCodeViewDots; }
  void SetScaleMenuItemClick();
  void SetCoordinateMenuItemClick();
  void SetWorkingDirectoryMenuItemClick();
  void WhiteDotToolButtonClick();
  void ExitMenuItemClick();
  void SegmentParameterMenuItemClick();
  void EncodeParameterMenuItemClick();
  void DelayMenuItemClick();
  void AboutMenuItemClick();
  // Segment menu (Mainsegment.cpp).
  void NewSegmentMenuItemClick();
  // New Segment on a picture given by its path (the command line's picture).
  void NewSegment(const std::string& path);
  // The file a dialog returned, used as chosen; the working directory follows it, so that the
  // next dialog opens beside it and nothing is silently looked for elsewhere.
  std::string FollowChoice(const std::string& chosen) override;
  void MultiAreaSegmentMenuItemClick();
  void SimpleSegmentMenuItemClick();
  void ReLoadImageMenuItemClick();
  void FilterMenuItemClick();
  void SaveSegmentResultMenuItemClick();
  // Encode menu (Mainencode.cpp).
  void NewEncodeMenuItemClick();
  void DoEncodingMenuItemClick();
  // Do Encoding from the given origin stage (the encode parameter dialog's "Start Encode Again"
  // buttons); cancelled, it leaves the stage as it was before.
  void DoEncodingFrom(int32_t stage) override;
  void ShowPositionMenuItemClick();
  void SaveEncodeResultMenuItemClick();
  // Match menu (Mainmatch.cpp).
  void DoMatchingMenuItemClick();
  void SaveMatchResultMenuItemClick();
  // Shows the strain result window for the matching job (again, after it was closed).
  void StrainResultMenuItemClick();
  // Closes the strain result window, if open, and with it the map over the view.
  void EndStrainView() override;
  // Image view events (Mainview.cpp).
  void PaintBoxMouseDown(int32_t x, int32_t y);
  void PaintBoxMouseMove(int32_t x, int32_t y);
  void PaintBoxMouseUp(int32_t x, int32_t y);
  void PaintBoxClick();
  // Selects the dot under (x, y) and reports it to the encode parameter dialog.
  void PickAt(int32_t x, int32_t y);
  // True while the view shows the strain map instead of the jobs' picture.
  bool StrainShown() const;

  // The state panel of the status bar, brought up to date after every command (Mainstate.cpp).
  void UpdateStateDisplay();
  QLabel* StateLabel() const { return FStateLabel; }
  // What a command did and what comes next, in the status bar.
  void Report(const std::string& text) override;
  // Asks before a code file without indexed dots is saved (true to save); refuses one with two
  // dots at the same grid indices, which matching would refuse.
  bool ConfirmCodesToSave();

  // The settings kept between runs.
  static void WriteLastDirectory();

  // Hand corrections, each one a step of the edit history that Ctrl+Z and Ctrl+Y undo and redo
  // (Mainundo.cpp): Modify Coord. (asking first when another dot has the indices), Modify
  // Origin, a pick into slot (TEncodeParameterForm::OriginSlot or a direction) and an erasure.
  void CorrectDot(int32_t index, int32_t nx, int32_t ny, bool neted) override;
  void MoveOrigin(int32_t index) override;
  void SetPick(int32_t slot, int32_t index, bool merge) override;
  void EraseRect(int32_t x, int32_t y, int32_t dx, int32_t dy) override;
  void UndoMenuItemClick();
  void RedoMenuItemClick();

  // The units (Mainunits.cpp). The scale dialog's Apply reports what it did.
  void ScaleApplied(float formerX, float formerY, bool typed) override;
  // After Save Result of the Match menu: where the file's y column mixes pixels and units,
  // says so and offers the pairs as CSV.
  void OfferPairsCsv(const std::string& resultPath);

  // What a desktop expects (Maindesk.cpp): New Encode of a given picture, recent files, dropped
  // files, names proposed for saving, the manual (F1).
  void NewEncode(const std::string& path);
  void RememberRecent(const char* kind, const std::string& path);
  TRecentFiles& RecentFiles() const { return *FRecentFiles; }
  // A picture opens as New Encode when it looks segmented, else as New Segment; a code file
  // shows its dots.
  void OpenDropped(const std::string& path);
  std::string ProposedSaveName(const std::string& picture, const char* extension) const;
  void ManualMenuItemClick();
  // The menus, tool bars, docks, status bar and the view's own controls, in global
  // coordinates: no tool window is put over them.
  QList<QRect> ControlsAndDocksOnScreen() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBars();
  void BuildShortcuts();
  QAction* AddViewItem(QMenu* menu, const char* name, const char* text, QKeySequence key,
                       const std::function<void()>& handler);
  QAction* AddMenuItem(QMenu* menu, const char* name, const char* text,
                       void (TMainForm::*handler)(), const char* hint = nullptr);
  QAction* AddToolButton(QToolBar* bar, const char* name, const char* icon, const char* hint,
                         void (TMainForm::*handler)());
  QToolBar* AddToolBar(const char* name, const char* title, const char* hint);
  void SetRunStatus(bool busy);
  void FormCreate();
  void ReadWorkDir();
  void ReleaseJobs(bool segmenter, bool encoder, bool displayImage);
  // The code file's dots over the viewed picture.
  void DrawCodeViewDots();
  // The rubber band of the anchor and (x, y), shown over the view; none when hidden.
  void ShowRubberBand(bool shown, int32_t x, int32_t y);
  // An encoding job on FEncodeImageName with the current settings, pausing through the platform.
  std::unique_ptr<TEncode> NewEncodeJob();
  void ShowEncodeParameterForm();
  // What the core's encoding run needs from the window: the view to draw on, the Delay menu's
  // pause, and FOriginDot and the next stage once the origin is known.
  TEncodeRunHooks EncodeHooks();
  // The three origin stages of Do Encoding, each ending in the walk; each leaves FOriginDot and
  // the next stage. The automatic one rebuilds the job, handing the former one to the caller.
  void FindOriginAutomatically(std::unique_ptr<TEncode>& former);
  // For the automatic stage: the reference code file of the encode parameter dialog into the
  // options; the file of the unsegmented picture (the chosen one, else the picture last
  // segmented), and a picture last segmented of another size than the job's refused.
  // The reference chosen under Reference and Centroids, if any, and how to register on it.
  bool TakeReference(TRegisterReference& reference, TRegisterOptions& registration);
  std::string RefinePictureName() const;
  void CheckRefinePicture(const TGrayImage& picture) const;
  // Before a segmentation: when the picture's dots look the other colour than the one chosen,
  // asks whether to go on; true to segment.
  bool ConfirmDotPolarity();
  // The least area field's value for a run on the prepared job; when it would erase every dot,
  // asks whether to use the estimate from the dots instead.
  int32_t LeastAreaForRun();
  void FindOriginByPitch();
  void TakePickedOrigin();
  // After Do Matching: warns of a whole-pitch offset between the two files and aligns on Yes.
  void OfferAlignment();
  // The menu items of this wave's additions (Maindesk.cpp).
  void BuildDeskMenus();
  // A dock shown, moved or resized sends the tool windows this run placed off it.
  void WatchDock(QDockWidget* dock);
  void UpdateEditActions();
  void TakeEditStep(bool undo);
  // Redraws after an undo or redo: the labels with dot's last, so the view keeps it.
  void ShowCorrection(int32_t dot);
  // Stages 0 and -1: the dots are extracted afresh when the least area has changed since (or
  // they never were, or forced), the picks moved to the same dots (Mainrecover.cpp).
  void ExtractAgainIfChanged(std::unique_ptr<TEncode>& former);
  // A grid beyond the coordinate table: offers a table large enough and true to encode again.
  bool OfferLargerTable(const std::string& message, int32_t stage);
  bool FExtractOnly = false;    // the automatic stage stops after the extraction
  bool FExtractAgain = false;   // the next stage 0 or -1 extracts afresh
  std::string FRecoveryReport;  // what the stage did before its origin, for the status bar

  TPlatform& FPlatform;
  int32_t FCurrentX = 0;
  int32_t FCurrentY = 0;
  bool FDragging = false;
  int32_t FAnchorX = 0;
  int32_t FAnchorY = 0;
  int32_t FEndX = 0;
  int32_t FEndY = 0;

  // The long-lived tool dialogs, created hidden at start-up.
  TComputeScaleForm* FComputeScaleForm = nullptr;
  TEncodeParameterForm* FEncodeParameterForm = nullptr;
  TAboutBox* FAboutBox = nullptr;
  TSegmentParameterForm* FSegmentParameterForm = nullptr;
  // The strain of the matching job, docked beside the view; made at the first Do Matching.
  TStrainResultForm* FStrainResultForm = nullptr;
  TManualForm* FManualForm = nullptr;
  std::string FLastSegmentSave;  // the segmented picture Save Result wrote last
  TWorkflow FWorkflow;
  TZoomView* FImageView = nullptr;
  QToolButton* FRunStatusButton = nullptr;
  QLabel* FStateLabel = nullptr;
  TBusyFilter* FBusyFilter = nullptr;
  TToolWindows* FToolWindows = nullptr;
  QAction* FWhiteDotAction = nullptr;
  QAction* FDelayMenuItem = nullptr;
  int32_t FViewWidth = 860;
  int32_t FViewHeight = 538;
  bool FBusy = false;
  bool FBandShown = false;  // a rubber band of this drag is on the view
  std::string FRunReport;   // the reference and the refined picture of the last automatic run
  std::vector<TDotInfo> FCodeViewDots;
  std::unique_ptr<TRecentFiles> FRecentFiles;
  QAction* FUndoAction = nullptr;
  QAction* FRedoAction = nullptr;
};
