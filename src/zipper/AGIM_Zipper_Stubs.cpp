// TODO(zipper): stubs until the crack-fixing preparation lands.
#include "model/AGIM.h"

void AGIM::Detect_IFZipper() {}
void AGIM::Fill_ZipperBlock() {}
void AGIM::Detect_IFNZB_CZB() {}
void AGIM::Fill_OneColumn_ZB(int, int) {}
void AGIM::Select_OneColumn_ZB(int, int) {}
void AGIM::Detect_Corner_NeiZB(int) {}
void AGIM::Fill_headtail_ZB() {}
void AGIM::Fill_headtail_NZB(int) {}
void AGIM::Fill_headtail_CZB(int) {}
void AGIM::Fill_headtail_CSZB(int, int, int) {}
void AGIM::Fill_headtail_CNZB(int, int, int) {}
void AGIM::LOD_Change(double) {}
void AGIM::Viewport_Test() {}
void AGIM::Flag_CornerZB() {}
