// TODO(render): stub until the strip builder lands.
#include "model/AGIM.h"

void AGIM::Build_Strip_Buffers() {}
void AGIM::Upload_Strip_Buffers() {}
bool IsExtensionSupported(const char*) { return false; }
