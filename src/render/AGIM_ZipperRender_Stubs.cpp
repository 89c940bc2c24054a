// TODO(zipper render): stubs until the zipper renderers land.
#include "model/AGIM.h"

void AGIM::Render_ZipperAGIM() {}
int AGIM::Unique_NormalZB_Render(int) { return 0; }
int AGIM::Stitch_ZB_Render(int) { return 0; }
int AGIM::Unique_CornerZB_Render(int) { return 0; }
int AGIM::Special_CornerZB_Render(int, int, int) { return 0; }
int AGIM::General_CornerZB_Render(int, int, int) { return 0; }
int AGIM::Stitch_CornerZB_Render(int) { return 0; }
int AGIM::Stitch_CornerZB_SameLV(int, int, int, int, int, int, Point*) { return 0; }
int AGIM::Stitch_CornerZB_DiffOneLV(int, int, int, int, int, int, Point*) { return 0; }
int AGIM::Stitch_CornerZB_DiffBigLV(int, int, int, int, int, int, Point*) { return 0; }
