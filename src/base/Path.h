#pragma once

#include <string>

// The file-name part of a path: what follows its last "/".
std::string ExtractFileName(const std::string& path);

// The extension of the file-name part, from its last "." to the end, or "" without a dot.
std::string ExtractFileExt(const std::string& path);

// Lower-case ASCII copy of a text.
std::string LowerCase(const std::string& text);

// A directory name with exactly one trailing "/" (an empty name stays empty).
std::string IncludeTrailingSlash(const std::string& directory);

bool FileExists(const std::string& path);
