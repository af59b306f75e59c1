#pragma once

#include <cstdint>

// What an object holds at one moment, as two numbers: an epoch that no other object (and no
// earlier state of this one after an assignment) ever had, and a count of changes since. Equal
// stamps mean nothing changed in between, so a caller may keep what it drew or computed from it.
struct TStampValue {
  uint64_t Epoch = 0;  // 0: not tracked, never equal to anything
  uint64_t Count = 0;
  bool Tracked() const { return Epoch != 0; }
  friend bool operator==(const TStampValue& a, const TStampValue& b) {
    return a.Tracked() && a.Epoch == b.Epoch && a.Count == b.Count;
  }
};

class TChangeStamp {
 public:
  TChangeStamp() : FEpoch(FreshEpoch()) {}
  // A copy or an assignment is another object's state: it gets an epoch of its own.
  TChangeStamp(const TChangeStamp&) : FEpoch(FreshEpoch()) {}
  TChangeStamp& operator=(const TChangeStamp&) {
    FEpoch = FreshEpoch();
    FCount = 0;
    return *this;
  }
  ~TChangeStamp() = default;

  void Bump() { ++FCount; }
  TStampValue Value() const { return TStampValue{FEpoch, FCount}; }

 private:
  static uint64_t FreshEpoch();
  uint64_t FEpoch;
  uint64_t FCount = 0;
};
