#include "FormFixture.h"

#include <algorithm>

#include "app/Imageview.h"
#include "encode/Encode.h"
#include "encode/Encodeparameter.h"
#include "segment/Segmentparameter.h"

using namespace AppTest;

bool TFormFixture::Start() {
  ClearSettings();
  FWork = std::make_unique<TTempDir>();
  SetSetting("Path/last", QString::fromStdString(FWork->Path()));
  FPlatform = std::make_unique<TScriptedPlatform>();
  FForm = std::make_unique<TMainForm>(*FPlatform);
  FForm->resize(1100, 800);
  FForm->show();
  return QTest::qWaitForWindowExposed(FForm.get());
}

std::string TFormFixture::Finish() {
  FForm.reset();
  QDir::setCurrent(QDir::tempPath());
  std::string problems = FPlatform->UnexpectedText();
  if (!FPlatform->AllAnswersUsed()) problems += " a scripted answer was left over";
  return problems;
}

TSegmentParameterForm& TFormFixture::Parameters() {
  return *FForm->FSegmentParameterForm;
}

void TFormFixture::NewSegment(const std::string& name) {
  FPlatform->FileAnswers.push_back(Work(name));
  Trigger(Form(), "NewSegmentToolButtonAction");
}

void TFormFixture::SaveResult(const std::string& name) {
  FPlatform->FileAnswers.push_back(Work(name));
  Trigger(Form(), "SaveSegmentResultMenuItem");
}

void TFormFixture::Drag(QPoint from, QPoint to) {
  TPaintBox* box = Form().PaintBox();
  QTest::mousePress(box, Qt::LeftButton, {}, from);
  QTest::mouseMove(box, (from + to) / 2);
  QTest::mouseMove(box, to);
  QTest::mouseRelease(box, Qt::LeftButton, {}, to);
}

bool SameImages(const TGrayImage& a, const TGrayImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Data(), a.Data() + a.Size(), b.Data());
}

TEncodeParameterForm& TFormFixture::EncodeParameters() {
  return *FForm->FEncodeParameterForm;
}

void TFormFixture::NewEncode(const std::string& name) {
  FPlatform->FileAnswers.push_back(Work(name));
  Trigger(Form(), "NewEncodeToolButtonAction");
}

void TFormFixture::SaveCodes(const std::string& name) {
  FPlatform->FileAnswers.push_back(Work(name));
  Trigger(Form(), "SaveEncodeResultMenuItem");
}

void TFormFixture::Click(QPoint at) {
  QTest::mouseClick(Form().PaintBox(), Qt::LeftButton, {}, at);
}

void TFormFixture::Hover(QPoint at) {
  MoveMouse(Form().PaintBox(), at);
}

QPoint TFormFixture::DotPoint(int32_t i) {
  const TDotInfo& dot = Form().FEncoder->FDotInfo.at(static_cast<size_t>(i));
  return QPoint(static_cast<int>(dot.x), static_cast<int>(dot.y));
}

void WriteSegmentedGrid(const std::string& path, TSynthOptions options) {
  options.NoiseSigma = 0;
  options.Gradient = 0;
  options.DotLevel = options.WhiteDots ? 255 : 0;
  options.BackgroundLevel = options.WhiteDots ? 0 : 255;
  TGrayImage image;
  TSynthGrid(options).Render(false, image);
  image.SaveToFile(path);
}
