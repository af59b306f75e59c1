#include "image/Pixelbuffer.h"

#include <sys/mman.h>

namespace {

constexpr size_t HugePage = size_t{2} << 20;

}  // namespace

void* AllocatePixelBytes(size_t size) {
  if (size < 2 * HugePage) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  void* p = nullptr;
  if (posix_memalign(&p, HugePage, size) != 0) throw std::bad_alloc();
  ::madvise(p, size / HugePage * HugePage, MADV_HUGEPAGE);  // a wish, not a need
  return p;
}
