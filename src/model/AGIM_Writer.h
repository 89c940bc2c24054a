// Writing a model to a model file: the text format the reader takes, every float in its
// shortest round-trip form so that writing and reading back gives the same bits.
#pragma once

#include <string>

#include "model/AGIM.h"

namespace agim {

// Writes `model` in the model file format; false with *error set (file, patch and reason)
// on failure. Refuses models the reader could not take back: inconsistent patch counts or
// grid sizes, levels outside 1..storage level, neighbour ids out of range, non-finite samples.
// Round-trips bit for bit.
bool Write_AGIM_File(const AGIM& model, const char* filename, std::string* error);

// The model file text of `model`, appended to *out; false with *error set as above.
bool Format_AGIM_Text(const AGIM& model, std::string* out, std::string* error);

}  // namespace agim

// The writer is also reachable without the namespace, next to the model's own operations.
using agim::Write_AGIM_File;
