// TODO(morph): stub until the morph engine lands.
#include "morph/Morph.h"

Morph::Morph() : current_model(std::make_unique<AGIM>()), next_model(std::make_unique<AGIM>()) {}
void Morph::Load_Current_AGIM(const AGIM&) {}
void Morph::Load_Next_AGIM(const AGIM&) {}
bool Morph::calculate_pos() { return false; }
