#pragma once

#include <cstdint>
#include <string>

#include "image/Picturedecode.h"

namespace CLI {
class App;
}

// One function per subcommand of latticor-cli: it adds the subcommand to app, declares each of
// its options once (help text, range, default from the subcommand's argument struct), and sets
// what runs it once the command line has been parsed. A new subcommand is a new function here
// and one more line in main.cpp's list.
void AddSegmentCommand(CLI::App& app);
void AddEncodeCommand(CLI::App& app);
void AddMatchCommand(CLI::App& app);
void AddSynthCommand(CLI::App& app);
void AddStrainCommand(CLI::App& app);
void AddDemoCommand(CLI::App& app);
void AddTrackCommand(CLI::App& app);
void AddSynthSequenceCommand(CLI::App& app);

// The picture and motion options synth and synth-sequence share, declared once so that both
// check them alike: --size, --pitch, --radius, --black, --noise, --blur, --rotation, and
// --translate and --strain of moved ("the deformed picture", "the last picture").
struct TSynthOptions;
void AddPictureOptions(CLI::App& sub, TSynthOptions& options, const std::string& moved);
// The grid's shape and the crack of synth and synth-sequence: --grid C R, --each-picture, --crack
// W (--crack sets the crack field).
void AddGridShapeOptions(CLI::App& sub, TSynthOptions& options);

// "--bits16 percentile|shift", for every subcommand that reads pictures.
void AddBits16Option(CLI::App& sub, TBits16& rule);
// "--page N" for the subcommands that read one picture of a stack.
void AddPageOption(CLI::App& sub, int32_t& page, const char* which);
// "--seed S", 0 to 4294967295, for the subcommands that draw pictures.
void AddSeedOption(CLI::App& sub, uint32_t& seed, const std::string& help);

// Checks shared by the subcommands' options. An empty text means the value is good.
// Positive and finite: CLI::PositiveNumber lets "nan" through (no comparison holds for it), and
// a scale factor of nan would go into a code file that no reader accepts. Within the range of
// 32-bit floats: a value beyond it would become infinite or 0 (1e39, 1e-300).
std::string CheckFinitePositive(const std::string& text);
// Options that name a file: an empty name would quietly mean "no such option".
std::string CheckFileName(const std::string& text);
// Options that are plain numbers: the range validators let "nan" through, and "inf" reaches
// the work only to fail there.
std::string CheckFinite(const std::string& text);
