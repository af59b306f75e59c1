#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "track/Trackoptions.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TPlatform;

// "Track Sequence": the pictures of a test (a folder, a list of pictures, or one multi-page
// picture), the folder for the results and the choices of the track command that matter for a
// grid picture. Values are read when asked for; a bad one raises its message.
class TSequenceSetupForm : public QDialog {
  Q_OBJECT
 public:
  TSequenceSetupForm(TPlatform& platform, QWidget* parent = nullptr);

  // The dots' colour and the scale factors the window holds, and the first folder offered.
  void SetDefaults(bool whiteDots, float scaleX, float scaleY, const std::string& folder);
  // The lines of the pictures field, as given (a folder, pictures, one multi-page picture).
  std::vector<std::string> PictureArguments() const;
  std::string OutDir() const;
  // The choices as the track command takes them (its defaults for everything not offered).
  TTrackOptions Options() const;

  void FolderButtonClick();
  void PicturesButtonClick();
  void OutButtonClick();

  QPlainTextEdit* PicturesMemo;
  QPushButton* FolderButton;
  QPushButton* PicturesButton;
  QLineEdit* OutEdit;
  QPushButton* OutButton;
  QCheckBox* BlackDotsCheckBox;
  QLineEdit* LeastAreaEdit;     // robust, auto or a number of pixels
  QComboBox* CentroidComboBox;  // refined, plain
  QSpinBox* NeighbourhoodSpinBox;
  QLineEdit* ScaleXEdit;
  QLineEdit* ScaleYEdit;
  QCheckBox* PlotsCheckBox;
  QPushButton* OKButton;
  QPushButton* CancelButton;

 private:
  // A results folder beside the pictures, for the pictures just chosen.
  void ProposeOutDir();

  TPlatform& FPlatform;
  std::string FFolder;
};
