// Morph: the morph engine. Two private working models; each blend step moves the current one
// a fraction toward the next, in place, with a weight that grows by 0.05 per step.
#pragma once

#include <memory>

#include "model/AGIM.h"

class Morph {
 public:
  Morph();  // weight 0.0, two empty working models

  // Replace the current / next working model by a deep copy of `source`'s patches (ids,
  // levels, neighbours, direction codes, every stored sample). The weight is not touched.
  void Load_Current_AGIM(const AGIM& source);
  void Load_Next_AGIM(const AGIM& source);

  // One blend step; true when this step ended a stage (the 17th of a stage).
  bool calculate_pos();

  const AGIM& Get_Current_AGIM() const { return *current_model; }
  const AGIM& Get_Next_AGIM() const { return *next_model; }
  double Get_Blend_Weight() const { return blend_weight; }

 private:
  double blend_weight = 0.0;
  std::unique_ptr<AGIM> current_model;
  std::unique_ptr<AGIM> next_model;
};
