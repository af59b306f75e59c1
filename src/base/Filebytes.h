#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The whole content of one file, held in memory.
struct TFileBytes {
  std::unique_ptr<uint8_t[]> Data;
  size_t Size = 0;

  const uint8_t* begin() const { return Data.get(); }
};
