#pragma once

#include <QDialog>
#include <QLabel>

#include "app/Maillabel.h"

class TPlatform;

// The About window: no title bar or border, the product name and version over a background
// picture, and a link that opens a new mail to the support address. A click anywhere else
// closes it.
class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  static constexpr int ClientWidth = 430;
  static constexpr int ClientHeight = 369;
  // Several addresses would be joined with ";".
  static constexpr const char* SupportAddress = "support@latticor.example";

  TAboutBox(TPlatform& platform, QWidget* parent = nullptr);

  void ProgramIconClick();
  void ProgramIconMouseMove();
  void MailToLabelMouseMove();
  void MailToLabelClick();

  QLabel* ProgramIcon;
  QLabel* OrganisationLabel;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* NoticeLabel;
  QLabel* Comments;
  TMailLabel* MailToLabel;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void SetMailStyle(bool hover);

  TPlatform& FPlatform;
};
