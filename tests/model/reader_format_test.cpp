// The model file reader on well-formed input: record layout, slots by id, levels and grid
// sizes, separators, whitespace, constants, files on disk; and the number token rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include "model/AGIM.h"
#include "model/Level.h"
#include "model/ModelTokenScanner.h"
#include "common/ModelCompare.h"

namespace {

// One patch record to write as text.
struct Record {
  int id = 0;
  int level = 1;
  int max_level = 1;
  int neighbour[4] = {0, 0, 0, 0};
  int side_orientation[4] = {0, 0, 0, 0};
};

// The value a test file stores for value k (0..5) of sample (r, c) of patch `id`: exact in
// float and distinct for every field, so a value in the wrong place shows.
float sample_value(int id, int r, int c, int k) {
  return static_cast<float>(id * 100000 + r * 1000 + c * 10 + k) + 0.25f;
}

// The tokens of one record, the separator last.
std::vector<std::string> record_tokens(const Record& rec, const std::string& separator = "#") {
  std::vector<std::string> t;
  for (int v : {rec.id, rec.level, rec.max_level}) t.push_back(std::to_string(v));
  for (int v : rec.neighbour) t.push_back(std::to_string(v));
  for (int v : rec.side_orientation) t.push_back(std::to_string(v));
  const int n = agim::grid_size_for_level(rec.max_level);
  char buf[32];
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      for (int k = 0; k < 6; ++k) {
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(sample_value(rec.id, r, c, k)));
        t.push_back(buf);
      }
  t.push_back(separator);
  return t;
}

// A whole model text: the count, then the records, tokens joined by `gap`.
std::string model_text(const std::vector<Record>& records, const std::string& gap = " ") {
  std::string text = std::to_string(records.size());
  for (const Record& rec : records)
    for (const std::string& tok : record_tokens(rec)) text += gap + tok;
  return text + "\n";
}

bool read_text(AGIM& model, const std::string& text, const char* name = "test.agim") {
  return model.Read_AGIM_Text(text.data(), text.size(), name);
}

using agim::test::expect_same_model;

// Patch `id` holds the values sample_value gives, in x, y, z of both grids.
void expect_samples(const AGIM_element& e, int id) {
  const int n = e.position_grid.size();
  ASSERT_EQ(n, agim::grid_size_for_level(e.max_level));
  ASSERT_EQ(e.normal_grid.size(), n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const Point& p = e.position_grid[r][c];
      const Point& q = e.normal_grid[r][c];
      ASSERT_EQ(p.x, sample_value(id, r, c, 0)) << r << "," << c;
      ASSERT_EQ(p.y, sample_value(id, r, c, 1)) << r << "," << c;
      ASSERT_EQ(p.z, sample_value(id, r, c, 2)) << r << "," << c;
      ASSERT_EQ(q.x, sample_value(id, r, c, 3)) << r << "," << c;
      ASSERT_EQ(q.y, sample_value(id, r, c, 4)) << r << "," << c;
      ASSERT_EQ(q.z, sample_value(id, r, c, 5)) << r << "," << c;
    }
}

// The constants every read writes, whatever the file holds.
void expect_constants(const AGIM& model) {
  EXPECT_EQ(model.focus_max_x, 625.1669921875f);
  EXPECT_EQ(model.focus_max_y, 436.1669921875f);
  EXPECT_EQ(model.focus_min_x, 296.8330078125f);
  EXPECT_EQ(model.focus_min_y, 107.83300018310547f);
  EXPECT_EQ(model.lod_reference, -2.0f);
}

TEST(ReaderFormat, OnePatchOfLevelOne) {
  AGIM model;
  ASSERT_TRUE(read_text(model, model_text({Record{}})));
  EXPECT_EQ(model.load_error, "");
  ASSERT_EQ(model.element_count, 1);
  ASSERT_EQ(model.elements.size(), 1u);
  const AGIM_element& e = model.elements[0];
  EXPECT_EQ(e.element_id, 0);
  EXPECT_EQ(e.level, 1);
  EXPECT_EQ(e.base_level, 1);
  EXPECT_EQ(e.max_level, 1);
  EXPECT_EQ(e.grid_size, 2);
  EXPECT_EQ(e.position_grid.size(), 2);
  expect_samples(e, 0);
  // The reader leaves the zipper state as the patch constructor set it.
  EXPECT_FALSE(e.has_zipper);
  EXPECT_FALSE(e.out_of_view);
  EXPECT_EQ(e.zipper_blocks, nullptr);
  expect_constants(model);
}

TEST(ReaderFormat, RecordsFillTheSlotTheirIdNames) {
  Record a;  // id 0: level 2 of storage 3, neighbours and direction codes all distinct
  a.level = 2;
  a.max_level = 3;
  int nb_a[4] = {1, 2, 1, 2}, dir_a[4] = {1, 0, -7, 1};
  Record b;  // id 1
  b.id = 1;
  b.max_level = 2;
  int nb_b[4] = {0, 2, 2, 0}, dir_b[4] = {0, 1, 1, 0};
  Record c;  // id 2: the case of a level 3 patch stored at level 5
  c.id = 2;
  c.level = 3;
  c.max_level = 5;
  for (int k = 0; k < 4; ++k) {
    a.neighbour[k] = nb_a[k];
    a.side_orientation[k] = dir_a[k];
    b.neighbour[k] = nb_b[k];
    b.side_orientation[k] = dir_b[k];
    c.neighbour[k] = k % 2;
    c.side_orientation[k] = 1;
  }

  AGIM in_order, shuffled;
  ASSERT_TRUE(read_text(in_order, model_text({a, b, c})));
  ASSERT_TRUE(read_text(shuffled, model_text({c, a, b})));
  expect_same_model(in_order, shuffled);

  ASSERT_EQ(shuffled.element_count, 3);
  for (int id = 0; id < 3; ++id) {
    SCOPED_TRACE("id " + std::to_string(id));
    EXPECT_EQ(shuffled.elements[static_cast<std::size_t>(id)].element_id, id);
    expect_samples(shuffled.elements[static_cast<std::size_t>(id)], id);
  }
  const AGIM_element& ea = shuffled.elements[0];
  EXPECT_EQ(ea.grid_size, 3);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(ea.neighbour[k], nb_a[k]);
    EXPECT_EQ(ea.side_orientation[k], dir_a[k]);
  }
  const AGIM_element& ec = shuffled.elements[2];
  EXPECT_EQ(ec.grid_size, 5);
  EXPECT_EQ(ec.base_level, 3);
  EXPECT_EQ(ec.max_level, 5);
  EXPECT_EQ(ec.position_grid.size(), 17);
  // Current-level sample (2, 3) sits at stored [8][12].
  EXPECT_EQ(ec.position_grid[8][12].x, sample_value(2, 8, 12, 0));
}

TEST(ReaderFormat, WhitespaceAndLineBreaksCarryNoMeaning) {
  Record a, b;
  a.max_level = 2;
  a.neighbour[0] = 1;
  b.id = 1;
  AGIM reference;
  ASSERT_TRUE(read_text(reference, model_text({b, a}, " ")));
  const char* gaps[] = {"\n", "\t", "\r\n", "  \n\n \t", "\v", "\f", "\n\n\n"};
  for (const char* gap : gaps) {
    AGIM model;
    SCOPED_TRACE(testing::PrintToString(std::string(gap)));
    ASSERT_TRUE(read_text(model, "\n\t " + model_text({b, a}, gap))) << model.load_error;
    expect_same_model(reference, model);
  }
}

TEST(ReaderFormat, SeparatorIsAnyNonNumberCharacterWhereverItStands) {
  // The one-patch record's 24 samples, without the separator.
  std::vector<std::string> tokens = record_tokens(Record{});
  tokens.pop_back();
  std::string body = "1";
  for (const std::string& t : tokens) body += " " + t;

  struct Row {
    const char* name;
    std::string after_last_float;
  };
  const Row rows[] = {
      {"touching the last float", "#"},
      {"after a blank", " #"},
      {"on its own line", "\n;\n"},
      {"a letter", " x"},
      {"a letter touching", "x"},
      {"a high byte", "\xC3"},
      {"a control character", "\x01"},
      {"followed by anything unread", "@ this text after the last record is never read 1 2 x"},
      {"touching the text after it", "~~~~"},
  };
  AGIM reference;
  ASSERT_TRUE(read_text(reference, model_text({Record{}})));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AGIM model;
    ASSERT_TRUE(read_text(model, body + row.after_last_float)) << model.load_error;
    expect_same_model(reference, model);
  }

  // Between records, the separator may also touch the next id.
  Record b;
  b.id = 1;
  std::string two = "2";
  for (const Record& rec : {b, Record{}}) {
    tokens = record_tokens(rec);
    tokens.pop_back();
    for (const std::string& t : tokens) two += " " + t;
    two += "|";
  }
  AGIM touching, spaced;
  ASSERT_TRUE(read_text(touching, two)) << touching.load_error;
  ASSERT_TRUE(read_text(spaced, model_text({b, Record{}})));
  expect_same_model(spaced, touching);
}

TEST(ReaderFormat, EmptyModelAndReadingAgain) {
  AGIM model;
  model.lod_reference = 5.0f;
  ASSERT_TRUE(read_text(model, "0"));
  EXPECT_EQ(model.element_count, 0);
  EXPECT_TRUE(model.elements.empty());
  expect_constants(model);

  // A rejected text leaves its reason; a good one read next replaces the patches and clears it.
  testing::internal::CaptureStderr();
  ASSERT_FALSE(read_text(model, "x"));
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(model.load_error.empty());
  Record rec;
  rec.max_level = 3;
  ASSERT_TRUE(read_text(model, model_text({rec})));
  EXPECT_EQ(model.load_error, "");
  ASSERT_EQ(model.element_count, 1);
  expect_samples(model.elements[0], 0);
  ASSERT_TRUE(read_text(model, model_text({Record{}})));
  EXPECT_EQ(model.elements[0].position_grid.size(), 2);
}

TEST(ReaderFile, ReadsAFileFromDisk) {
  const std::string path = std::string(AGIM_TEST_TMP) + "/reader_file_three.agim";
  Record a, b, c;
  a.neighbour[1] = 2;
  b.id = 1;
  b.max_level = 4;
  b.level = 2;
  c.id = 2;
  const std::string text = model_text({c, a, b}, "\r\n");
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  AGIM from_file, from_text;
  ASSERT_TRUE(from_file.Read_AGIM_File(path.c_str())) << from_file.load_error;
  ASSERT_TRUE(read_text(from_text, text));
  expect_same_model(from_text, from_file);
  expect_constants(from_file);
  std::remove(path.c_str());
}

TEST(ReaderFile, ReadsFromAPipe) {
  // A pipe has no size to plan with: it is read whole, then parsed.
  const std::string path = std::string(AGIM_TEST_TMP) + "/reader_pipe.agim";
  std::remove(path.c_str());
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  Record a, b;
  a.max_level = 4;
  b.id = 1;
  const std::string text = model_text({b, a});
  std::thread writer([&path, &text] {
    std::ofstream out(path, std::ios::binary);
    out << text;
  });
  AGIM from_pipe, from_text;
  const bool ok = from_pipe.Read_AGIM_File(path.c_str());
  writer.join();
  ASSERT_TRUE(ok) << from_pipe.load_error;
  ASSERT_TRUE(read_text(from_text, text));
  expect_same_model(from_text, from_pipe);
  std::remove(path.c_str());
}

TEST(ReaderFile, UnreadableFilesLeaveNoPatches) {
  const std::string missing = std::string(AGIM_TEST_TMP) + "/reader_no_such_file.agim";
  const std::string empty = std::string(AGIM_TEST_TMP) + "/reader_empty.agim";
  std::ofstream(empty, std::ios::binary).close();
  struct Row {
    const char* name;
    std::string path;
    const char* reason;
  };
  const Row rows[] = {
      {"missing file", missing, "No such file or directory"},
      {"a folder", AGIM_TEST_TMP, "Is a directory"},
      {"an empty file", empty, ":1:1: expected the patch count (an int), found end of file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AGIM model;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(model.Read_AGIM_File(row.path.c_str()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(model.element_count, 0);
    EXPECT_TRUE(model.elements.empty());
    expect_constants(model);
    EXPECT_EQ(model.load_error.rfind(row.path + ":", 0), 0u) << model.load_error;
    EXPECT_NE(model.load_error.find(row.reason), std::string::npos) << model.load_error;
    EXPECT_EQ(err, model.load_error + "\n");
  }
  std::remove(empty.c_str());
}

TEST(ReaderFile, LoadOfAMissingFileGivesNoPatches) {
  AGIM model;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  model.Load_AGIM((std::string(AGIM_TEST_TMP) + "/reader_load_missing.agim").c_str());
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(model.element_count, 0);
  EXPECT_TRUE(model.elements.empty());
  expect_constants(model);
  EXPECT_NE(model.load_error.find("reader_load_missing.agim"), std::string::npos);
}

TEST(ReaderFile, LoadOfOnePatchMarksNoZipperSide) {
  // A patch is never finer than itself, so its own neighbour gives no zipper side.
  const std::string path = std::string(AGIM_TEST_TMP) + "/reader_load_one.agim";
  {
    std::ofstream out(path, std::ios::binary);
    out << model_text({Record{}});
  }
  AGIM model;
  testing::internal::CaptureStdout();
  model.Load_AGIM(path.c_str());
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(model.element_count, 1);
  const AGIM_element& e = model.elements[0];
  EXPECT_EQ(e.grid_size, 2);
  EXPECT_FALSE(e.has_zipper);
  for (bool side : e.side_zipper) EXPECT_FALSE(side);
  std::remove(path.c_str());
}

// --- Number tokens ------------------------------------------------------------------------

using agim::ModelTokenScanner;
using agim::TokenStatus;

// strtof in the "C" locale: the single correct rounding a float token must give.
float strtof_reference(const char* text) { return std::strtof(text, nullptr); }

TEST(ReaderTokens, FloatsReadTheLongestNumberAndRoundOnce) {
  struct Row {
    const char* text;
    std::size_t used;  // bytes the token takes
  };
  const Row rows[] = {
      {"0.125", 5},
      {"-3", 2},
      {"+1.5e-3", 7},
      {"1.", 2},
      {".5", 2},
      {"-.5", 3},
      {"+.5E+2", 6},
      {"007", 3},
      {"0.1", 3},
      {"3.14159265358979323846", 22},
      // Halfway between 1 and the next float: ties to even gives 1; a hair above rounds up.
      {"1.000000059604644775390625", 26},
      {"1.000000059604644775390625000000001", 35},
      // Float ties: 2^24 + 1 and 2^24 + 3 sit halfway and go to the even neighbour, while a
      // hair above 2^24 + 1 must round up even though it rounds to the tie in double.
      {"16777217", 8},
      {"16777219", 8},
      {"16777217.0000000001", 19},
      {"-16777217.0000000001", 20},
      // 44 above the tie between 2^59 and 2^59 + 2^36: the nearest double is the tie itself,
      // so rounding through a double would go to the even 2^59; the float is 2^59 + 2^36.
      {"5764607866631619e2", 18},
      {"-5764607866631619E+2", 20},
      {"3.4028235e38", 12},
      {"1e-40", 5},   // subnormal
      {"1.4e-45", 7}, // smallest subnormal
      {"0.5#", 3},
      {"1.5.3", 3},
      {"2-3", 1},
      {"0x1p3", 1},  // hexadecimal is not read: "0", then "x1p3" is the next token
      {"1e5x", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ModelTokenScanner scan(row.text, std::strlen(row.text));
    float value = -99.0f;
    ASSERT_EQ(scan.read_float(value), TokenStatus::kOk);
    EXPECT_EQ(static_cast<std::size_t>(scan.position() - row.text), row.used);
    const std::string number(row.text, row.used);
    const float expected = strtof_reference(number.c_str());
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << value << " vs " << expected;
  }
}

TEST(ReaderTokens, RandomSpellingsRoundLikeStrtof) {
  // Mantissas of 1 to 24 digits with the point anywhere, exponents from far below to far
  // above the float range, and both signs: every read matches strtof bit for bit.
  std::uint64_t state = 12345;
  auto next = [&state](std::uint32_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33) % bound;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    if (next(3) == 0) text += (next(2) ? '-' : '+');
    const int digits = 1 + static_cast<int>(next(24));
    const int point = static_cast<int>(next(static_cast<std::uint32_t>(digits + 2))) - 1;
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + next(10));
    }
    if (next(2)) {
      text += next(2) ? 'e' : 'E';
      const int exponent = static_cast<int>(next(100)) - 55;
      if (exponent >= 0 && next(2)) text += '+';
      text += std::to_string(exponent);
    }
    SCOPED_TRACE(text);
    ModelTokenScanner scan(text.data(), text.size());
    float value = 0.0f;
    const TokenStatus status = scan.read_float(value);
    const float expected = strtof_reference(text.c_str());
    if (std::isinf(expected)) {
      ASSERT_EQ(status, TokenStatus::kOutOfRange);
      continue;
    }
    ASSERT_EQ(status, TokenStatus::kOk);
    ASSERT_EQ(scan.position(), text.data() + text.size());
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << value << " vs " << expected;
  }
}

TEST(ReaderTokens, TinyFloatsBecomeSignedZero) {
  for (const char* text : {"1e-50", "-1e-50", "7e-46", "0.0000000000000000000000000000000000000000000000001",
                           "-1e-99999999999"}) {
    SCOPED_TRACE(text);
    ModelTokenScanner scan(text, std::strlen(text));
    float value = -99.0f;
    ASSERT_EQ(scan.read_float(value), TokenStatus::kOk);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(std::signbit(value), text[0] == '-');
    EXPECT_EQ(scan.position(), text + std::strlen(text));
  }
}

TEST(ReaderTokens, FloatRejections) {
  struct Row {
    const char* text;
    TokenStatus status;
  };
  const Row rows[] = {
      {"inf", TokenStatus::kNotANumber},     {"-inf", TokenStatus::kNotANumber},
      {"nan", TokenStatus::kNotANumber},     {"+nan", TokenStatus::kNotANumber},
      {"infinity", TokenStatus::kNotANumber}, {"+-1", TokenStatus::kNotANumber},
      {"-+1", TokenStatus::kNotANumber},     {"--1", TokenStatus::kNotANumber},
      {"-", TokenStatus::kNotANumber},       {"+", TokenStatus::kNotANumber},
      {".", TokenStatus::kNotANumber},       {"-.e1", TokenStatus::kNotANumber},
      {"e5", TokenStatus::kNotANumber},      {"1e", TokenStatus::kNotANumber},
      {"1e+", TokenStatus::kNotANumber},     {"2.5E-x", TokenStatus::kNotANumber},
      {"abc", TokenStatus::kNotANumber},     {"#1", TokenStatus::kNotANumber},
      {"1e39", TokenStatus::kOutOfRange},    {"-3.5e38", TokenStatus::kOutOfRange},
      {"3.4028236e38", TokenStatus::kOutOfRange},
      {"1e99999999999", TokenStatus::kOutOfRange},
      {"", TokenStatus::kEndOfText},         {" \n\t", TokenStatus::kEndOfText},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ModelTokenScanner scan(row.text, std::strlen(row.text));
    float value = -99.0f;
    EXPECT_EQ(scan.read_float(value), row.status);
    EXPECT_EQ(value, -99.0f);  // the target is left alone
    // The scanner stays at the start of the offending token.
    EXPECT_EQ(scan.token_start(), scan.position());
  }
}

TEST(ReaderTokens, Ints) {
  struct Row {
    const char* text;
    TokenStatus status;
    int value;
    std::size_t used;
  };
  const Row rows[] = {
      {"7", TokenStatus::kOk, 7, 1},
      {"-3", TokenStatus::kOk, -3, 2},
      {"+12", TokenStatus::kOk, 12, 3},
      {"0012", TokenStatus::kOk, 12, 4},
      {"2147483647", TokenStatus::kOk, 2147483647, 10},
      {"-2147483648", TokenStatus::kOk, -2147483647 - 1, 11},
      {"3.5", TokenStatus::kOk, 3, 1},
      {"5#", TokenStatus::kOk, 5, 1},
      {"0x10", TokenStatus::kOk, 0, 1},
      {"2147483648", TokenStatus::kOutOfRange, 0, 0},
      {"-2147483649", TokenStatus::kOutOfRange, 0, 0},
      {"99999999999999999999", TokenStatus::kOutOfRange, 0, 0},
      {"+-1", TokenStatus::kNotANumber, 0, 0},
      {"-+1", TokenStatus::kNotANumber, 0, 0},
      {"-", TokenStatus::kNotANumber, 0, 0},
      {"+", TokenStatus::kNotANumber, 0, 0},
      {".5", TokenStatus::kNotANumber, 0, 0},
      {"x", TokenStatus::kNotANumber, 0, 0},
      {"", TokenStatus::kEndOfText, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ModelTokenScanner scan(row.text, std::strlen(row.text));
    int value = -99;
    ASSERT_EQ(scan.read_int(value), row.status);
    if (row.status == TokenStatus::kOk) {
      EXPECT_EQ(value, row.value);
      EXPECT_EQ(static_cast<std::size_t>(scan.position() - row.text), row.used);
    } else {
      EXPECT_EQ(value, -99);
      EXPECT_EQ(scan.position(), scan.token_start());
    }
  }
}

TEST(ReaderTokens, FloatSpellingsInAFile) {
  // Sample spellings that read as the same value give the same model.
  const std::string plain = "1 0 1 1 0 0 0 0 0 0 0 0";
  std::string a = plain, b = plain;
  const char* left[] = {"0.5", "-3", "1.", ".25", "1500", "-0.0015"};
  const char* right[] = {"+5e-1", "-3.000", "+1", "2.5E-1", "1.5e3", "-1.5e-3"};
  for (int s = 0; s < 4; ++s)
    for (int k = 0; k < 6; ++k) {
      a += std::string(" ") + left[k];
      b += std::string(" ") + right[k];
    }
  AGIM ma, mb;
  ASSERT_TRUE(read_text(ma, a + " #")) << ma.load_error;
  ASSERT_TRUE(read_text(mb, b + "#")) << mb.load_error;
  expect_same_model(ma, mb);
  EXPECT_EQ(ma.elements[0].normal_grid[1][1].z, -0.0015f);
}

}  // namespace
