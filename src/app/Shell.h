#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "workflow/Workflow.h"

class QMainWindow;
class TPaintBox;
class TPlatform;
class TViewSurface;
class TZoomView;

// What the dialogs and tool windows get of the main window: the workflow state, the view, the
// platform services, the frame every command runs in, and the window's own commands that a
// dialog's button starts. The main window implements it; a dialog never sees the window's
// fields or menus.
class TShell {
 public:
  virtual ~TShell() = default;

  // The window the dialogs belong to and dock beside.
  virtual QMainWindow& Window() = 0;
  virtual TPlatform& Platform() = 0;
  virtual TWorkflow& Workflow() = 0;
  virtual const TWorkflow& Workflow() const = 0;
  virtual TZoomView* ImageView() const = 0;
  virtual TPaintBox* PaintBox() const = 0;
  virtual TViewSurface& ViewSurface() = 0;

  // Runs one command; an error ends it and goes to the top-level handler.
  virtual void RunCommand(const std::function<void()>& command) = 0;
  // The frame of a long command: busy indicator, the work, the beep; Esc asks it to stop.
  virtual void LongCommand(const std::function<void()>& work) = 0;
  virtual bool CancelRequested() = 0;
  // What a command did and what comes next, in the status bar.
  virtual void Report(const std::string& text) = 0;
  // The file a dialog returned, used as chosen; the working directory follows it.
  virtual std::string FollowChoice(const std::string& chosen) = 0;
  // Closes the strain result window, if open, and with it the map over the view.
  virtual void EndStrainView() = 0;

  // Do Encoding from the given origin stage.
  virtual void DoEncodingFrom(int32_t stage) = 0;
  // Hand corrections, each one a step of the edit history.
  virtual void CorrectDot(int32_t index, int32_t nx, int32_t ny, bool neted) = 0;
  virtual void MoveOrigin(int32_t index) = 0;
  virtual void SetPick(int32_t slot, int32_t index, bool merge) = 0;
  virtual void EraseRect(int32_t x, int32_t y, int32_t dx, int32_t dy) = 0;
  // The scale dialog's Apply: reports what it did.
  virtual void ScaleApplied(float formerX, float formerY, bool typed) = 0;
};
