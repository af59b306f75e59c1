#pragma once
// Small pieces every form builds with: named labels and fields, the OK and Cancel row, the tool
// window flags, and the integer a field holds.
#include <QtCore/qnamespace.h>
#include <cstdint>

class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

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

// A named push button that Enter in a field of its window does not press.
QPushButton* NewButton(const char* name, const char* text, QWidget* parent);

// A label showing its text as written (never as rich text), named for the tests.
QLabel* NewLabel(const char* name, const char* text, QWidget* parent);

// A named field of a fixed width.
QLineEdit* NewEdit(const char* name, const char* text, QWidget* parent, int width,
                   bool readOnly = false);

// The field's text as an integer; a text that is not one raises the conversion message.
int32_t IntOf(const QLineEdit* edit);
