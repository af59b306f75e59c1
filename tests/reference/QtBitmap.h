#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The former way of reading bitmaps, kept as the plain reference of our own decoder: Qt decodes
// the file into a colour picture, and every pixel becomes (B + G + R + 1) div 3. Returns false
// when Qt refuses the bytes.
bool QtBitmapGray(const std::string& bytes, int32_t& width, int32_t& height,
                  std::vector<uint8_t>& gray);
