// The model file reader on files of several megabytes, which it reads in windows: the model
// and every error line (with its line and column) are the same as when the whole text is
// parsed from memory, wherever the windows fall.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "common/ModelCompare.h"

namespace {

constexpr int kPatches = 90;
constexpr int kStorageLevel = 5;

// The tokens of a model of kPatches records of storage level 5 (about 2 MB of text), ids in
// reverse order, samples spelled in several ways.
std::vector<std::string> model_tokens() {
  std::vector<std::string> t{std::to_string(kPatches)};
  const int n = agim::grid_size_for_level(kStorageLevel);
  char buf[48];
  for (int i = 0; i < kPatches; ++i) {
    const int id = kPatches - 1 - i;
    t.push_back(std::to_string(id));
    t.push_back(std::to_string(1 + id % kStorageLevel));
    t.push_back(std::to_string(kStorageLevel));
    for (int k = 0; k < 4; ++k) t.push_back(std::to_string((id + k + 1) % kPatches));
    for (int k = 0; k < 4; ++k) t.push_back(std::to_string((id + k) % 2));
    for (int s = 0; s < n * n * 6; ++s) {
      const double v = (id * 7919 + s * 104729) % 200003 / 997.0 - 100.0;
      const char* format = (s % 3 == 0) ? "%.9g" : (s % 3 == 1) ? "%.4e" : "%.6f";
      std::snprintf(buf, sizeof buf, format, v);
      t.push_back(buf);
    }
    t.push_back(i % 2 ? "#" : "~");
  }
  return t;
}

// Tokens joined: `per_line` tokens a line, blanks between them (all on one line when 0).
std::string join(const std::vector<std::string>& tokens, int per_line) {
  std::string text;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i > 0) text += (per_line > 0 && i % static_cast<std::size_t>(per_line) == 0) ? "\n" : " ";
    text += tokens[i];
  }
  return text + "\n";
}

using agim::test::expect_same_model;

// Reads `text` from a file and from memory; both reads agree on the result and the message.
void expect_file_reads_like_text(const std::string& text, const char* name) {
  const std::string path = std::string(AGIM_TEST_TMP) + "/reader_large_" + name + ".agim";
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  AGIM from_file, from_text;
  testing::internal::CaptureStderr();
  const bool file_ok = from_file.Read_AGIM_File(path.c_str());
  const bool text_ok = from_text.Read_AGIM_Text(text.data(), text.size(), path.c_str());
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(file_ok, text_ok);
  EXPECT_EQ(from_file.load_error, from_text.load_error);
  expect_same_model(from_text, from_file);
  std::remove(path.c_str());
}

TEST(ReaderLargeFile, WindowedFileReadsLikeTheWholeText) {
  const std::vector<std::string> tokens = model_tokens();
  struct Row {
    const char* name;
    int per_line;
  };
  const Row rows[] = {{"one_sample_a_line", 6}, {"long_lines", 1000}, {"one_line", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string text = join(tokens, row.per_line);
    ASSERT_GT(text.size(), 1500000u);
    expect_file_reads_like_text(text, row.name);
    AGIM model;
    ASSERT_TRUE(model.Read_AGIM_Text(text.data(), text.size(), row.name)) << model.load_error;
    EXPECT_EQ(model.element_count, kPatches);
  }
}

TEST(ReaderLargeFile, ErrorsDeepInTheFileNameTheSamePlace) {
  const std::vector<std::string> tokens = model_tokens();
  const std::size_t last = tokens.size() - 1;
  struct Row {
    const char* name;
    std::size_t token;        // which token to replace
    std::string replacement;  // its new text
    int per_line;
    const char* expected;     // part of the error line
  };
  const Row rows[] = {
      {"bad sample near the end", last - 40, "abc", 6, "record 90 of 90 (id 0): expected a float"},
      {"bad sample on one long line", last - 40, "abc", 0, "record 90 of 90 (id 0)"},
      {"bad sample mid file", tokens.size() / 2 + 100, "1e99", 1000,
       "record 46 of 90 (id 44): expected a float sample"},
      {"separator missing", last, "", 6, "record 90 of 90 (id 0): expected the end-of-record"},
      {"repeated id", last - 1 - 6 * 17 * 17 - 8 - 2, std::to_string(kPatches - 1), 6,
       "record 90 of 90: expected a patch id not used before"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> changed = tokens;
    changed[row.token] = row.replacement;
    const std::string text = join(changed, row.per_line);
    expect_file_reads_like_text(text, "error");
    AGIM model;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(model.Read_AGIM_Text(text.data(), text.size(), "x"));
    testing::internal::GetCapturedStderr();
    EXPECT_NE(model.load_error.find(row.expected), std::string::npos) << model.load_error;
  }
}

TEST(ReaderLargeFile, TokensLongerThanAWindow) {
  // A sample spelled with 1.5 million digits, then a separator that follows 1 MB of '~'.
  std::vector<std::string> tokens = model_tokens();
  tokens[40] = "1." + std::string(1500000, '0');
  tokens[tokens.size() - 1] = std::string(1 << 20, '~');
  const std::string text = join(tokens, 6);
  expect_file_reads_like_text(text, "long_token");
  AGIM model;
  ASSERT_TRUE(model.Read_AGIM_Text(text.data(), text.size(), "x")) << model.load_error;
}

}  // namespace
