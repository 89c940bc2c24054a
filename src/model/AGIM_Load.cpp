#include <cstdio>

#include "model/AGIM.h"

void AGIM::Write_Load_Constants() {
  focus_max_x = 625.167f;
  focus_max_y = 436.167f;
  focus_min_x = 296.833f;
  focus_min_y = 107.833f;
  lod_reference = -2.0f;
}

void AGIM::Prepare_Zipper_Data() {
  Detect_IFZipper();
  Fill_ZipperBlock();
  Detect_Corner_NeiZB(0);
  Detect_Corner_NeiZB(1);
  Fill_headtail_ZB();
}

void AGIM::Load_AGIM(const char* filename) {
  // A rejected file leaves the model as an unopenable one does: no patches. The preparation,
  // strips and upload run either way, so every load ends in the same consistent state.
  Read_AGIM_File(filename);
  Prepare_Zipper_Data();
  Build_Strip_Buffers();
  Upload_Strip_Buffers();
}
