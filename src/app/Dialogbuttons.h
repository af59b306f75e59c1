#pragma once

#include <QtCore/qnamespace.h>

class QDialog;
class QHBoxLayout;
class QPushButton;

// The "OK" and "Cancel" buttons of a modal dialog, right-aligned in one row: OK is the default
// button and accepts, Cancel rejects. The buttons get the object names the form uses for them.
struct TDialogButtons {
  QPushButton* Ok = nullptr;
  QPushButton* Cancel = nullptr;
  QHBoxLayout* Row = nullptr;
};

TDialogButtons MakeDialogButtons(QDialog* dialog, const char* okName, const char* cancelName);

// The modeless tool windows (segment, encode and scale parameters): a title bar with a close
// button only, kept above the main window.
inline constexpr Qt::WindowFlags ToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
