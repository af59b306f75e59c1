#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

// "Re-Set the Coordinate System": the grid table size for the next encoding job. Made afresh
// for every use; the caller gives the current size and reads the new one back.
class TReSetCoordinateForm : public QDialog {
  Q_OBJECT
 public:
  explicit TReSetCoordinateForm(QWidget* parent = nullptr);

  void SetTableSize(int32_t maxNx, int32_t maxNy);
  // A size large enough for the dots of the job in hand, after what the size does.
  void SetNeededSize(int32_t maxNx, int32_t maxNy);
  // Each parsed from its field when asked for.
  int32_t MaxNx() const;
  int32_t MaxNy() const;

  QLabel* NoteLabel;
  QLabel* SizeNoteLabel;  // what happens with the size
  QLabel* Label1;
  QLineEdit* MaxNxEdit;
  QLabel* Label2;
  QLineEdit* MaxNyEdit;
  QPushButton* OKButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* event) override;
};
