#pragma once

#include "encode/Encoderun.h"
#include "register/Registerpicture.h"

// An encoding run of a picture against a reference, the same for every shell: the extraction
// of RunEncoding, then the registration in place of the origin and the walk. The dots left
// unindexed are marked on the hooks' canvas as the walk marks those it did not expand.
struct TReferenceRun {
  TEncodeSummary Summary;  // Origin -1: the indices come from the reference
  TRegisterReport Report;
};

TReferenceRun EncodeFromReference(TEncode& job, const TEncodeRunOptions& run,
                                  const TEncodeRunHooks& hooks, const TRegisterReference& reference,
                                  const TRegisterOptions& options);
