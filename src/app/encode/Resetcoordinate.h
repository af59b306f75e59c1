#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Re-Set the Coordinate System": the grid table size for the next encoding job. Made afresh
// for every use; the caller fills and reads the two fields.
class TReSetCoordinateForm : public QDialog {
  Q_OBJECT
 public:
  explicit TReSetCoordinateForm(QWidget* parent = nullptr);

  QLabel* NoteLabel;
  QLabel* Label1;
  QLineEdit* MaxNxEdit;
  QLabel* Label2;
  QLineEdit* MaxNyEdit;
  QPushButton* OKButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* event) override;
};
