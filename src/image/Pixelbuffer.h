#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

// The pixel buffers of pictures. A buffer of some megabytes is aligned to 2 MB and asked to be
// backed by huge pages where the system offers them: a fresh 6000 x 4000 picture then costs a
// dozen page faults instead of six thousand, and the refinement's reads across rows miss the
// address cache less. Contents are uninitialised.
struct TPixelFree {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using TPixelBuffer = std::unique_ptr<T[], TPixelFree>;

// size bytes; raises std::bad_alloc when there is no memory for them.
void* AllocatePixelBytes(size_t size);

template <typename T>
TPixelBuffer<T> AllocatePixels(size_t count) {
  if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
  return TPixelBuffer<T>(static_cast<T*>(AllocatePixelBytes(count * sizeof(T))));
}
