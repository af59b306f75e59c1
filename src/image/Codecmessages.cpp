#include "image/Codecmessages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <cstdio>

namespace {

QtMessageHandler PreviousHandler = nullptr;  // while a TCodecMessages lives

constexpr size_t MaxLines = 20;  // a damaged file can make a codec complain for every tag

// "libpng error: X" -> "X"; libtiff's "foo: X" -> "X" (Qt opens every TIFF under the name
// "foo", which says nothing to the user).
std::string Cleaned(std::string line) {
  for (const char* prefix : {"libpng error: ", "libpng warning: "})
    if (line.starts_with(prefix)) line.erase(0, std::char_traits<char>::length(prefix));
  for (size_t at = line.find("foo: "); at != std::string::npos; at = line.find("foo: "))
    line.erase(at, 5);
  while (!line.empty() &&
         (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '.'))
    line.pop_back();
  return line;
}

}  // namespace

TCodecMessages::TCodecMessages() : FTurn(FTurns) {
  FCurrent = this;
  PreviousHandler =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& t) {
        if (FCurrent != nullptr && FCurrent->FLines.size() < MaxLines)
          FCurrent->FLines.push_back(Cleaned(t.toStdString()));
      });
  std::fflush(stderr);
  FCapture = ::memfd_create("latticor-codec-messages", MFD_CLOEXEC);
  if (FCapture < 0) return;  // then the libraries' lines reach the terminal as before
  FSavedError = ::dup(STDERR_FILENO);
  if (FSavedError < 0 || ::dup2(FCapture, STDERR_FILENO) < 0) {
    if (FSavedError >= 0) ::close(FSavedError);
    ::close(FCapture);
    FSavedError = FCapture = -1;
  }
}

TCodecMessages::~TCodecMessages() {
  Stop();
}

void TCodecMessages::Stop() {
  if (FStopped) return;
  FStopped = true;
  struct TRelease {  // the next decoding's turn, however this ends
    std::unique_lock<std::mutex>& Turn;
    ~TRelease() { Turn.unlock(); }
  } release{FTurn};
  qInstallMessageHandler(PreviousHandler);
  FCurrent = nullptr;
  if (FCapture < 0) return;
  std::fflush(stderr);
  ::dup2(FSavedError, STDERR_FILENO);
  ::close(FSavedError);
  std::string text(4096, '\0');
  const ssize_t got = ::pread(FCapture, text.data(), text.size(), 0);
  ::close(FCapture);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  for (size_t start = 0; start < text.size() && FLines.size() < MaxLines;) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Cleaned(text.substr(start, end - start));
    if (!line.empty()) FLines.push_back(line);
    start = end + 1;
  }
}

const std::vector<std::string>& TCodecMessages::Lines() {
  Stop();
  return FLines;
}

std::string TCodecMessages::Reason(const std::string& fallback) {
  const std::vector<std::string>& lines = Lines();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (it->find("Warning") == std::string::npos && it->find("warning") == std::string::npos)
      return *it;
  return lines.empty() ? fallback : lines.back();
}
