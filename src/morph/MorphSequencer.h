// MorphSequencer: the toolkit-free logic that turns a list of model files into a looping morph.
// The main window owns one, drives Tick from its 50 ms timer and draws the engine's current model.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/AGIM.h"
#include "morph/Morph.h"

// Loaded models in load order, the sequence index and the morph engine. Stages run from the
// model at `current_model_id` toward the one after it, wrapping to position 0 after the last.
class MorphSequencer {
 public:
  std::vector<std::unique_ptr<AGIM>> AGIM_Model_Set;  // every loaded model, only appended to
  int num_of_AGIM = 0;                                // models loaded so far
  int current_model_id = 0;                           // position the current stage starts from
  std::unique_ptr<Morph> Morph_instance;              // the engine; never replaced

  // Called once per tick, after the step: the window invalidates its viewer here.
  std::function<void()> Repaint_Request;
  // Called when play or stop changes the playing state: the window switches its timer here.
  std::function<void(bool playing)> Playing_Changed;

  MorphSequencer();  // no models, index 0, an engine with two empty working models

  // Loads each file (in the given order) into a new model and appends it, even when the file
  // is rejected (it then has no patches); then copies positions 0 and 1 into the engine.
  // Returns the load errors of the rejected files, in order.
  std::vector<std::string> Open_Files(const std::vector<std::string>& filenames);
  // Appends already-built models under the given display names (one per model, or none), then
  // copies positions 0 and 1 into the engine, as Open_Files does after loading.
  void Append_Models(std::vector<std::unique_ptr<AGIM>> models,
                     std::vector<std::string> names = {});

  // One blend step; at a stage end advances the index with wrap-round and loads the model
  // after it as the new target (nothing with an empty set). Requests one repaint. Returns
  // true when the step ended a stage.
  bool Tick();

  void Play();                                   // playing on; the index and weight stay
  void Stop();                                   // playing off; the index and weight stay
  bool Is_Playing() const { return playing_; }  // whether the timer should run

  // One line saying which loaded model's patch layout (patch count, storage levels) differs
  // from the first model with patches, or empty when all models with patches share it. Only
  // the patches both models hold morph between different layouts.
  std::string Layout_Difference() const;

  // Name given for the model at `position` (its file name for files).
  const std::string& Model_Name(std::size_t position) const { return names_.at(position); }

 private:
  void Load_Engine_Models();  // positions 0 and 1 of the set into the engine, when present

  std::vector<std::string> names_;  // one per model in AGIM_Model_Set
  bool playing_ = false;
};
