#pragma once

#include <string>
#include <vector>

#include "encode/Dotinfo.h"

struct TCodeFileContent;

// Which indexing a code file's (Nx, Ny) belong to. A file indexed from a reference carries its
// reference's lineage right after the magic word, as "VRKT-FS+ref:" and 16 hex digits: every
// reader by the format's rules takes the longer word for the magic, and a file written without a
// reference keeps the plain magic, byte for byte. A file without the mark is a lineage of its
// own, named by a print of its dots (indices, areas and positions as read); a file indexed from
// a marked file inherits that file's lineage. Two files of one lineage index the same physical
// dots alike, so a match of them needs no warning about different origins.

// The print of dots as a code file gives them back, 16 hex digits. asWritten: the positions are
// rounded as the writer writes them first (dots of a job, not read from a file).
std::string LineageOfDots(const std::vector<TDotInfo>& dots, bool asWritten);
// The lineage a file's mark names, or the file's own.
std::string CodeLineage(const TCodeFileContent& content);
// What follows the magic word in a file indexed from a reference of that lineage.
std::string LineageMark(const std::string& lineage);
