#include "match/RowText.h"

#include "base/Convert.h"

void TRowText::Fixed3(double value, int width) {
  AppendFixed(FText, value, width, 3);
}

void TRowText::Int(int32_t value, int width) {
  AppendInt(FText, value, width);
}
