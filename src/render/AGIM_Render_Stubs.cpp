// TODO(render): stubs until the quad passes land.
#include "model/AGIM.h"

void AGIM::Render_AGIM() {}
void AGIM::Render_AGIM_Wireframe() {}
void AGIM::Render_AGIMwithVBO() {}
