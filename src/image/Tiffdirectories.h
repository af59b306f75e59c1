#pragma once

#include <cstdint>
#include <vector>

struct TPictureInput;

// The offsets of a TIFF's directories (classic or BigTIFF) in file order, one per page. A
// directory that cannot be read ends the list but is listed, so that decoding that page says
// what is wrong; a chain that loops ends where it comes back. Inputs with an identity (files)
// are remembered, so random access to the pages of a stack costs one walk.
std::vector<uint64_t> TiffDirectories(const TPictureInput& in);

// The directory at offset, the next directory's offset after it and every value it keeps
// outside its entries lie in the input. The TIFF library reads a directory cut off at the end
// of a file still being written and reports success.
bool TiffDirectoryComplete(const TPictureInput& in, uint64_t offset);
