#pragma once

#include <mutex>
#include <string>
#include <vector>

// While it lives, what the picture codecs say goes to it instead of the terminal: Qt's own
// messages ("Corrupt JPEG data: ...") and the lines libpng and libtiff print on the standard
// error stream themselves ("libpng error: IDAT: invalid bit length repeat", "TIFFReadDirectory:
// Warning, Unknown field ..."), which the Qt plugins do not route through Qt. A failed decode
// then says why in one message of ours, and a good picture with unusual tags (camera makers
// add private ones) decodes silently.
//
// The standard error stream of the whole process is redirected meanwhile, so decodings on
// several threads take turns: a second one waits until the first has stopped listening.
// Whatever else is written to the stream in that moment is kept back as well.
class TCodecMessages {
 public:
  TCodecMessages();
  ~TCodecMessages();
  TCodecMessages(const TCodecMessages&) = delete;
  TCodecMessages& operator=(const TCodecMessages&) = delete;

  // Stops listening and returns the lines said so far, cleaned of the libraries' prefixes.
  const std::vector<std::string>& Lines();
  // Why a decoding failed, in the codec's words: the last line that is not a warning, else
  // the last line, else fallback.
  std::string Reason(const std::string& fallback);

 private:
  void Stop();

  static inline std::mutex FTurns;
  static inline TCodecMessages* FCurrent = nullptr;
  std::unique_lock<std::mutex> FTurn;  // held from construction until Stop
  int FSavedError = -1;                // the real standard error while it is redirected
  int FCapture = -1;                   // where it goes meanwhile
  bool FStopped = false;
  std::vector<std::string> FLines;
};
