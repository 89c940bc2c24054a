#include <cstdio>

#include "model/AGIM.h"

void AGIM::Load_AGIM(const char* filename) {
  // A rejected file leaves the model as an unopenable one does: no patches. The preparation,
  // strips and upload run either way, so every load ends in the same consistent state.
  Read_AGIM_File(filename);
  Detect_IFZipper();
  Fill_ZipperBlock();
  Detect_Corner_NeiZB(0);
  Detect_Corner_NeiZB(1);
  Fill_headtail_ZB();
  Build_Strip_Buffers();
  Upload_Strip_Buffers();
}
