#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// "Select Result Type": the layout of a displacement file and whether y is measured upwards.
// Made afresh for every save, so it always opens with the first layout and the box checked.
class TMatchResultForm : public QDialog {
  Q_OBJECT
 public:
  explicit TMatchResultForm(QWidget* parent = nullptr);

  // The chosen layout, the index of a result writer (-1 when none is chosen).
  int32_t Layout() const;
  bool ChangeYAxis() const;

  QLabel* Label1;
  QComboBox* MatchResultTypeComboBox;  // entry i is the layout of writer i
  QCheckBox* ChangeYaxisCheckBox;
  QPushButton* OKButton;
  QPushButton* CancelButton;

 protected:
  void showEvent(QShowEvent* event) override;
};
