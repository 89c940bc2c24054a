// TODO(reader): stub until the reader lands.
#include "model/AGIM.h"

bool AGIM::Read_AGIM_File(const char*) { return false; }
bool AGIM::Read_AGIM_Text(const char*, std::size_t, const char*) { return false; }
