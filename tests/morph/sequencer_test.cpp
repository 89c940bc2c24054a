// The morph sequencer without a window: stage order, play and stop, openings in the middle of a
// sequence, one model and none, the repaint requests, and files that fail to load.
#include "morph/MorphSequencer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestModels.h"

namespace {

using agim::test::build_model;
using agim::test::PatchSpec;

constexpr int kStage = 17;  // ticks per stage

// A two-patch model whose every sample carries `tag` in x: 1000 * tag + row.
std::unique_ptr<AGIM> tagged_model(int tag) {
  auto m = std::make_unique<AGIM>();
  build_model(*m, {PatchSpec{2, 2, {1, 1, 1, 1}, {1, 0, 0, 1}}, PatchSpec{2, 2, {0, 0, 0, 0}, {1, 0, 0, 1}}},
              [tag](int, int r, int c, Point& p, Point& n) {
                p = Point{};
                n = Point{};
                p.x = static_cast<float>(1000 * tag + r);
                p.y = static_cast<float>(c);
                n.z = 1.0f;
              });
  return m;
}

std::vector<std::unique_ptr<AGIM>> tagged_models(int first, int count) {
  std::vector<std::unique_ptr<AGIM>> v;
  for (int k = first; k < first + count; ++k) v.push_back(tagged_model(k));
  return v;
}

// Which tagged model a working model is (closest to): the tag carried by sample (0, 0).
int tag_of(const AGIM& m) {
  if (m.element_count == 0) return -1;
  return static_cast<int>(m.elements[0].position_grid[0][0].x / 1000.0f + 0.5f);
}

// Ticks `n` times while playing (a stopped timer delivers no ticks); returns how many of them
// ended a stage.
int run(MorphSequencer& seq, int n) {
  int ends = 0;
  for (int i = 0; i < n; ++i)
    if (seq.Is_Playing() && seq.Tick()) ++ends;
  return ends;
}

TEST(MorphSequencer, StartsEmptyAndStopped) {
  MorphSequencer seq;
  EXPECT_TRUE(seq.AGIM_Model_Set.empty());
  EXPECT_EQ(seq.num_of_AGIM, 0);
  EXPECT_EQ(seq.current_model_id, 0);
  ASSERT_NE(seq.Morph_instance, nullptr);
  EXPECT_EQ(seq.Morph_instance->Get_Current_AGIM().element_count, 0);
  EXPECT_EQ(seq.Morph_instance->Get_Next_AGIM().element_count, 0);
  EXPECT_FALSE(seq.Is_Playing());
}

TEST(MorphSequencer, OpeningCopiesTheFirstTwoModelsIntoTheEngine) {
  MorphSequencer seq;
  seq.Append_Models(tagged_models(0, 3));
  EXPECT_EQ(seq.AGIM_Model_Set.size(), 3u);
  EXPECT_EQ(seq.num_of_AGIM, 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(tag_of(*seq.AGIM_Model_Set[static_cast<std::size_t>(k)]), k);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Current_AGIM()), 0);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), 1);
  // Working models are copies: the loaded model is not the one drawn.
  EXPECT_NE(&seq.Morph_instance->Get_Current_AGIM(), seq.AGIM_Model_Set[0].get());
}

// Each row: models loaded, then (index, target) after each of the following stage ends.
struct StageCase {
  const char* name;
  int models;
  std::vector<std::pair<int, int>> stages;
};

TEST(MorphSequencer, StagesWalkTheSequenceAndWrap) {
  const std::vector<StageCase> cases = {
      {"two models", 2, {{1, 0}, {0, 1}, {1, 0}, {0, 1}}},
      {"three models", 3, {{1, 2}, {2, 0}, {0, 1}, {1, 2}, {2, 0}}},
  };
  for (const StageCase& c : cases) {
    SCOPED_TRACE(c.name);
    MorphSequencer seq;
    seq.Append_Models(tagged_models(0, c.models));
    seq.Play();
    for (std::size_t s = 0; s < c.stages.size(); ++s) {
      SCOPED_TRACE("stage end " + std::to_string(s + 1));
      // Ticks 1..16 of a stage end nothing; the 17th ends it.
      for (int t = 1; t < kStage; ++t) ASSERT_FALSE(seq.Tick()) << "tick " << t;
      ASSERT_TRUE(seq.Tick());
      EXPECT_EQ(seq.current_model_id, c.stages[s].first);
      EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), c.stages[s].second);
      // The current working model is never reloaded: it has converged on the old target.
      EXPECT_EQ(tag_of(seq.Morph_instance->Get_Current_AGIM()), c.stages[s].first);
    }
  }
}

TEST(MorphSequencer, StopAndPlayResumeInTheMiddleOfAStage) {
  MorphSequencer seq;
  std::vector<bool> switched;
  seq.Playing_Changed = [&](bool on) { switched.push_back(on); };
  seq.Append_Models(tagged_models(0, 2));
  seq.Play();
  EXPECT_EQ(run(seq, 10), 0);
  seq.Stop();
  seq.Stop();  // stop while stopped changes nothing
  EXPECT_EQ(run(seq, 50), 0) << "no ticks while stopped";
  EXPECT_EQ(seq.current_model_id, 0);
  seq.Play();
  seq.Play();  // play while playing changes nothing
  EXPECT_EQ(run(seq, 6), 0);
  EXPECT_EQ(run(seq, 1), 1) << "the stage ends 7 ticks after play";
  EXPECT_EQ(seq.current_model_id, 1);
  EXPECT_EQ(switched, (std::vector<bool>{true, false, true}));
}

TEST(MorphSequencer, OpeningMoreFilesMidSequenceKeepsTheIndex) {
  MorphSequencer seq;
  seq.Append_Models(tagged_models(0, 3));
  seq.Play();
  EXPECT_EQ(run(seq, 2 * kStage), 2);
  ASSERT_EQ(seq.current_model_id, 2);

  seq.Append_Models(tagged_models(3, 2));
  EXPECT_EQ(seq.AGIM_Model_Set.size(), 5u);
  EXPECT_EQ(seq.num_of_AGIM, 5);
  EXPECT_EQ(seq.current_model_id, 2);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Current_AGIM()), 0);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), 1);

  EXPECT_EQ(run(seq, kStage), 1);
  EXPECT_EQ(seq.current_model_id, 3);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), 4);
}

// Samples of a working model, flattened, to check it did not move.
std::vector<float> samples(const AGIM& m) {
  std::vector<float> v;
  for (const AGIM_element& e : m.elements)
    for (int r = 0; r < e.grid_size; ++r)
      for (int c = 0; c < e.grid_size; ++c) {
        const Point& p = e.position_grid[r][c];
        const Point& n = e.normal_grid[r][c];
        v.insert(v.end(), {p.x, p.y, p.z, n.x, n.y, n.z});
      }
  return v;
}

TEST(MorphSequencer, OneModelHoldsStill) {
  MorphSequencer seq;
  seq.Append_Models(tagged_models(7, 1));
  const std::vector<float> before = samples(seq.Morph_instance->Get_Current_AGIM());
  ASSERT_FALSE(before.empty());
  seq.Play();
  EXPECT_EQ(run(seq, 3 * kStage), 3);
  EXPECT_EQ(seq.current_model_id, 0);
  // Model 0 is its own target after the first stage end.
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), 7);
  EXPECT_EQ(samples(seq.Morph_instance->Get_Current_AGIM()), before);
}

TEST(MorphSequencer, NoModelLoadsNothingAtAStageEnd) {
  MorphSequencer seq;
  int repaints = 0;
  seq.Repaint_Request = [&] { ++repaints; };
  seq.Play();
  EXPECT_EQ(run(seq, 2 * kStage), 2);
  EXPECT_EQ(repaints, 2 * kStage);
  EXPECT_EQ(seq.current_model_id, 0);
  EXPECT_EQ(seq.Morph_instance->Get_Current_AGIM().element_count, 0);
  EXPECT_EQ(seq.Morph_instance->Get_Next_AGIM().element_count, 0);
  // Opening afterwards starts from model 0 as usual.
  seq.Append_Models(tagged_models(0, 2));
  EXPECT_EQ(run(seq, kStage), 1);
  EXPECT_EQ(seq.current_model_id, 1);
  EXPECT_EQ(tag_of(seq.Morph_instance->Get_Next_AGIM()), 0);
}

TEST(MorphSequencer, EveryTickRequestsExactlyOneRepaint) {
  MorphSequencer seq;
  int repaints = 0;
  seq.Repaint_Request = [&] { ++repaints; };
  seq.Append_Models(tagged_models(0, 3));
  EXPECT_EQ(repaints, 0) << "opening repaints nothing by itself";
  int ticks = 0;
  for (; ticks < 2 * kStage + 5; ++ticks) {
    const bool ended = seq.Tick();
    EXPECT_EQ(repaints, ticks + 1) << "tick " << ticks + 1 << (ended ? " (stage end)" : "");
  }
}

TEST(MorphSequencer, RejectedFileTakesItsPlaceAsAnEmptyModel) {
  const std::string missing = std::string(AGIM_TEST_TMP) + "/sequencer_no_such_file.agim";
  MorphSequencer seq;
  seq.Append_Models(tagged_models(0, 1));
  const std::vector<std::string> errors = seq.Open_Files({missing});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("sequencer_no_such_file.agim"), std::string::npos) << errors[0];
  ASSERT_EQ(seq.AGIM_Model_Set.size(), 2u);
  EXPECT_EQ(seq.num_of_AGIM, 2);
  EXPECT_EQ(seq.AGIM_Model_Set[1]->element_count, 0);
  EXPECT_EQ(seq.Model_Name(1), missing);
  // The sequence still plays through the empty model without moving the drawn one.
  const std::vector<float> before = samples(seq.Morph_instance->Get_Current_AGIM());
  seq.Play();
  EXPECT_EQ(run(seq, 4 * kStage), 4);
  EXPECT_EQ(samples(seq.Morph_instance->Get_Current_AGIM()), before);
  EXPECT_TRUE(seq.Layout_Difference().empty()) << "an empty model is reported by its load error";
}

TEST(MorphSequencer, LayoutDifferenceNamesTheModels) {
  MorphSequencer same;
  same.Append_Models(tagged_models(0, 3));
  EXPECT_EQ(same.Layout_Difference(), "");

  MorphSequencer fewer;
  auto one_patch = std::make_unique<AGIM>();
  build_model(*one_patch, {PatchSpec{2, 2, {0, 0, 0, 0}, {1, 0, 0, 1}}});
  std::vector<std::unique_ptr<AGIM>> models = tagged_models(0, 1);
  models.push_back(std::move(one_patch));
  fewer.Append_Models(std::move(models), {"a.agim", "b.agim"});
  const std::string text = fewer.Layout_Difference();
  EXPECT_NE(text.find("\"b.agim\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"a.agim\""), std::string::npos) << text;

  MorphSequencer finer;
  auto deep = std::make_unique<AGIM>();
  build_model(*deep, {PatchSpec{2, 3, {1, 1, 1, 1}, {1, 0, 0, 1}}, PatchSpec{2, 2, {0, 0, 0, 0}, {1, 0, 0, 1}}});
  models = tagged_models(0, 1);
  models.push_back(std::move(deep));
  finer.Append_Models(std::move(models));
  EXPECT_NE(finer.Layout_Difference().find("patch 0 at level 3"), std::string::npos)
      << finer.Layout_Difference();
}

}  // namespace
