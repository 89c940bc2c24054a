#include "morph/MorphSequencer.h"

#include <utility>

MorphSequencer::MorphSequencer() : Morph_instance(std::make_unique<Morph>()) {}

std::vector<std::string> MorphSequencer::Open_Files(const std::vector<std::string>& filenames) {
  std::vector<std::string> errors;
  for (const std::string& name : filenames) {
    auto model = std::make_unique<AGIM>();
    model->Load_AGIM(name.c_str());
    // A rejected file still takes its place in the sequence, as a model with no patches.
    if (!model->load_error.empty()) errors.push_back(model->load_error);
    AGIM_Model_Set.push_back(std::move(model));
    names_.push_back(name);
    ++num_of_AGIM;
  }
  Load_Engine_Models();
  return errors;
}

void MorphSequencer::Append_Models(std::vector<std::unique_ptr<AGIM>> models,
                                   std::vector<std::string> names) {
  for (std::size_t i = 0; i < models.size(); ++i) {
    names_.push_back(i < names.size() ? std::move(names[i])
                                      : "model " + std::to_string(AGIM_Model_Set.size()));
    AGIM_Model_Set.push_back(std::move(models[i]));
    ++num_of_AGIM;
  }
  Load_Engine_Models();
}

void MorphSequencer::Load_Engine_Models() {
  // Positions are those of the whole set: a later opening jumps the display back to model 0
  // while the index keeps its value.
  if (!AGIM_Model_Set.empty()) Morph_instance->Load_Current_AGIM(*AGIM_Model_Set[0]);
  if (AGIM_Model_Set.size() >= 2) Morph_instance->Load_Next_AGIM(*AGIM_Model_Set[1]);
}

bool MorphSequencer::Tick() {
  const bool stage_ended = Morph_instance->calculate_pos();
  const int count = static_cast<int>(AGIM_Model_Set.size());
  // With no model there is nothing to advance to; the index stays where it is.
  if (stage_ended && count > 0) {
    current_model_id = (current_model_id == count - 1) ? 0 : current_model_id + 1;
    const int target = (current_model_id == count - 1) ? 0 : current_model_id + 1;
    // With a single model, model 0 becomes its own target and the morph holds still.
    Morph_instance->Load_Next_AGIM(*AGIM_Model_Set[static_cast<std::size_t>(target)]);
  }
  if (Repaint_Request) Repaint_Request();
  return stage_ended;
}

void MorphSequencer::Play() {
  if (playing_) return;
  playing_ = true;
  if (Playing_Changed) Playing_Changed(true);
}

void MorphSequencer::Stop() {
  if (!playing_) return;
  playing_ = false;
  if (Playing_Changed) Playing_Changed(false);
}

std::string MorphSequencer::Layout_Difference() const {
  const AGIM* first = nullptr;
  std::size_t first_pos = 0;
  for (std::size_t pos = 0; pos < AGIM_Model_Set.size(); ++pos) {
    const AGIM& m = *AGIM_Model_Set[pos];
    if (m.element_count <= 0) continue;  // rejected files are reported by their load error
    if (first == nullptr) {
      first = &m;
      first_pos = pos;
      continue;
    }
    const std::string prefix = "Patch layouts differ: \"" + names_[pos] + "\" ";
    const std::string suffix = " \"" + names_[first_pos] + "\"; only shared patches morph";
    if (m.element_count != first->element_count)
      return prefix + "has " + std::to_string(m.element_count) + " patches, " +
             std::to_string(first->element_count) + " in" + suffix;
    for (int k = 0; k < m.element_count; ++k) {
      const int a = m.elements[static_cast<std::size_t>(k)].max_level;
      const int b = first->elements[static_cast<std::size_t>(k)].max_level;
      if (a != b)
        return prefix + "stores patch " + std::to_string(k) + " at level " + std::to_string(a) +
               ", level " + std::to_string(b) + " in" + suffix;
    }
  }
  return {};
}
