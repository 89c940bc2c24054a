// The model file reader on malformed input: every kind of bad text is rejected whole, with one
// error line naming the file, the place, the record and what was expected, and the model is
// left with no patches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/AGIM.h"

namespace {

// 24 samples of a level-1 record: "0 1 2 ... 23".
std::string samples24() {
  std::string s;
  for (int i = 0; i < 24; ++i) {
    if (i > 0) s += ' ';
    s += std::to_string(i);
  }
  return s;
}

// A level-1 record: id, "level storage", "n0 n1 n2 n3", then direction codes 0, the samples
// and the separator text (which carries its own leading whitespace, if any).
std::string rec(const std::string& id, const std::string& levels = "1 1",
                const std::string& neighbours = "0 0 0 0", const std::string& samples = samples24(),
                const std::string& separator = " #") {
  return id + " " + levels + " " + neighbours + " 0 0 0 0 " + samples + separator;
}

// Samples 0..23 with the one at `index` replaced by `token`.
std::string samples_with(int index, const std::string& token) {
  std::string s;
  for (int i = 0; i < 24; ++i) {
    if (i > 0) s += ' ';
    s += (i == index) ? token : std::to_string(i);
  }
  return s;
}

// `count` samples spelled long ("1.0000000"), each after a blank.
std::string long_samples(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += " 1.0000000";
  return s;
}

struct Row {
  const char* name;
  std::string text;
  std::string expected;  // a part of the error line
};

// The state a rejected read leaves, and the one line on stderr.
void expect_rejected(AGIM& model, const std::string& text, const std::string& expected) {
  testing::internal::CaptureStderr();
  const bool ok = model.Read_AGIM_Text(text.data(), text.size(), "bad.agim");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(ok);
  EXPECT_NE(model.load_error.find(expected), std::string::npos)
      << "error line: " << model.load_error;
  EXPECT_EQ(model.load_error.rfind("bad.agim:", 0), 0u) << model.load_error;
  EXPECT_EQ(model.load_error.find('\n'), std::string::npos);
  EXPECT_EQ(err, model.load_error + "\n");
  EXPECT_EQ(model.element_count, 0);
  EXPECT_TRUE(model.elements.empty());
  EXPECT_EQ(model.focus_max_x, 625.167f);
  EXPECT_EQ(model.focus_max_y, 436.167f);
  EXPECT_EQ(model.focus_min_x, 296.833f);
  EXPECT_EQ(model.focus_min_y, 107.833f);
  EXPECT_EQ(model.lod_reference, -2.0f);
}

TEST(ReaderRejection, EveryMalformedTextIsRejectedWithItsPlace) {
  const std::string ok0 = rec("0", "1 1", "0 1 0 1");
  const std::string ok1 = rec("1", "1 1", "1 0 1 0");
  const Row rows[] = {
      // The count.
      {"empty file", "", "bad.agim:1:1: expected the patch count (an int), found end of file"},
      {"blank file", "  \n  ", "bad.agim:2:3: expected the patch count (an int), found end of file"},
      {"count not a number", "two\n" + ok0,
       "bad.agim:1:1: expected the patch count (an int), found \"two\""},
      {"count negative", "-1\n" + ok0,
       "bad.agim:1:1: expected a patch count of 0 or more, found \"-1\""},
      {"count overflows", "99999999999 " + ok0,
       "expected the patch count (an int) within the int range, found \"99999999999\""},
      {"count more than the file can hold", "3\n" + ok0 + "\n" + ok1,
       "bad.agim:1:1: expected a patch count the file can hold"},
      {"count absurd", "2000000000\n" + ok0, "expected a patch count the file can hold"},

      // Ids.
      {"id past the count", "2\n" + ok0 + "\n" + rec("2"),
       "bad.agim:3:1: record 2 of 2: expected a patch id from 0 to 1, found \"2\""},
      {"id negative", "2\n" + rec("-1") + "\n" + ok1,
       "bad.agim:2:1: record 1 of 2: expected a patch id from 0 to 1, found \"-1\""},
      {"id repeated", "2\n" + ok0 + "\n   " + ok0,
       "bad.agim:3:4: record 2 of 2: expected a patch id not used before (id 0 is already used "
       "by record 1), found \"0\""},
      {"id not a number", "2\n" + ok0 + "\n" + rec("one"),
       "record 2 of 2: expected the patch id (an int), found \"one\""},

      // Levels.
      {"level zero", "1\n" + rec("0", "0 1"),
       "bad.agim:2:3: record 1 of 1 (id 0): expected a level of 1 or more, found \"0\""},
      {"level negative", "1\n" + rec("0", "-2 1"), "expected a level of 1 or more, found \"-2\""},
      {"level above storage level", "1\n" + rec("0", "2 1"),
       "bad.agim:2:5: record 1 of 1 (id 0): expected a storage level no lower than the level 2, "
       "found \"1\""},
      {"storage level zero", "1\n" + rec("0", "1 0"),
       "bad.agim:2:5: record 1 of 1 (id 0): expected a storage level from 1 to 13, found \"0\""},
      {"storage level too high", "1\n" + rec("0", "1 14"),
       "expected a storage level from 1 to 13, found \"14\""},
      {"storage level the file cannot hold", "1\n" + rec("0", "1 13"),
       "expected a storage level whose 100712454 samples fit in the"},
      {"storage level one too many for the text", "1\n" + rec("0", "1 2"),
       "expected a storage level whose 54 samples fit in the"},
      {"level not a number", "1\n" + rec("0", "1.5 1"),
       "expected the storage level (an int), found \".5\""},

      // Neighbours and direction codes.
      {"neighbour past the count", "2\n" + ok0 + "\n" + rec("1", "1 1", "0 0 2 0"),
       "bad.agim:3:11: record 2 of 2 (id 1): expected a neighbour id of side 2 from 0 to 1, "
       "found \"2\""},
      {"neighbour negative", "1\n" + rec("0", "1 1", "-1 0 0 0"),
       "expected a neighbour id of side 0 from 0 to 0, found \"-1\""},
      {"neighbour not a number", "1\n" + rec("0", "1 1", "0 x 0 0"),
       "expected the neighbour id of side 1 (an int), found \"x\""},
      {"direction code not a number", "1\n0 1 1 0 0 0 0 0 0 ? 0 " + samples24() + " #",
       "bad.agim:2:19: record 1 of 1 (id 0): expected the direction code of side 2 (an int), "
       "found \"?\""},

      // Samples.
      {"sample not a number", "2\n" + ok1 + "\n" + rec("0", "1 1", "0 0 0 0", samples_with(8, "abc")),
       "bad.agim:3:39: record 2 of 2 (id 0): expected a float sample (row 0, column 1, value 3 "
       "of 6), found \"abc\""},
      {"sample infinite", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(0, "inf")),
       "expected a float sample (row 0, column 0, value 1 of 6), found \"inf\""},
      {"sample nan", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(23, "nan")),
       "expected a float sample (row 1, column 1, value 6 of 6), found \"nan\""},
      {"sample hexadecimal", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(5, "0x1p3")),
       "(row 0, column 1, value 1 of 6), found \"x1p3\""},
      {"sample with two signs", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(4, "+-1")),
       "(row 0, column 0, value 5 of 6), found \"+-1\""},
      {"sample exponent without digits", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(6, "2e")),
       "(row 0, column 1, value 1 of 6), found \"2e\""},
      {"sample beyond the float range", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(7, "1e39")),
       "expected a float sample (row 0, column 1, value 2 of 6) within the float range, found "
       "\"1e39\""},
      {"long bad token is cut short",
       "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(1, std::string(100, 'z'))),
       "found \"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz\"..."},
      {"control byte shown escaped", "1\n" + rec("0", "1 1", "0 0 0 0", samples_with(1, "\x01q")),
       "found \"\\x01q\""},

      // Truncation and separators.
      {"truncated in the samples", "1\n0 1 1 0 0 0 0 0 0 0 0" + long_samples(20),
       "record 1 of 1 (id 0): expected a float sample (row 1, column 1, value 3 of 6), found end "
       "of file"},
      {"truncated in the ints", "1\n0 1 1 0 0" + std::string(100, ' '),
       "bad.agim:2:110: record 1 of 1 (id 0): expected the neighbour id of side 2 (an int), "
       "found end of file"},
      {"too short for its count", "1\n0 1 1 0 0 0 0 0 0 0 0\n",
       "bad.agim:1:1: expected a patch count the file can hold (0 records at most in the 23 "
       "bytes that follow), found \"1\""},
      {"truncated before the separator", "1\n" + rec("0", "1 1", "0 0 0 0", samples24(), "\n"),
       "bad.agim:3:1: record 1 of 1 (id 0): expected the end-of-record separator character, "
       "found end of file"},
      {"separator missing between records",
       "2\n" + rec("0", "1 1", "0 0 0 0", samples24(), "") + "\n" + ok1,
       "bad.agim:3:1: record 1 of 2 (id 0): expected the end-of-record separator character (one "
       "that cannot begin a number), found \"1\"; the separator seems to be missing"},
      {"separator a minus sign", "1\n" + rec("0", "1 1", "0 0 0 0", samples24(), " -"),
       "found \"-\"; the separator seems to be missing"},
      {"separator a plus sign", "1\n" + rec("0", "1 1", "0 0 0 0", samples24(), " +"),
       "found \"+\"; the separator seems to be missing"},
      {"separator a full stop", "1\n" + rec("0", "1 1", "0 0 0 0", samples24(), " ."),
       "found \".\"; the separator seems to be missing"},
      {"separator a digit", "1\n" + rec("0", "1 1", "0 0 0 0", samples24(), " 7"),
       "found \"7\"; the separator seems to be missing"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AGIM model;
    expect_rejected(model, row.text, row.expected);
  }
}

TEST(ReaderRejection, ARejectedFileReplacesAModelThatHadPatches) {
  AGIM model;
  const std::string good = "2\n" + rec("1", "1 1", "0 0 0 0") + "\n" + rec("0");
  ASSERT_TRUE(model.Read_AGIM_Text(good.data(), good.size(), "good.agim"));
  ASSERT_EQ(model.element_count, 2);
  model.lod_reference = 3.0f;
  // The second record is broken at its very end: nothing of the first is kept either.
  const std::string bad = "2\n" + rec("1") + "\n" + rec("0", "1 1", "0 0 0 0", samples24(), "");
  expect_rejected(model, bad, "record 2 of 2 (id 0): expected the end-of-record separator");
}

TEST(ReaderRejection, TextIsNeverReadPastItsLength) {
  // The text stops in the middle of a buffer that carries more digits after it: the reader
  // must not see them.
  const std::string whole = "1\n" + rec("0") + "123456";
  const std::size_t cut = whole.size() - 6 - 2;  // drops the separator: " #"
  AGIM model;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(model.Read_AGIM_Text(whole.data(), cut, "bad.agim"));
  testing::internal::GetCapturedStderr();
  EXPECT_NE(model.load_error.find("found end of file"), std::string::npos) << model.load_error;

  // A number touching the end of the text ends there, too: the count reads as 1, not 12345.
  const std::string count = "12345";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(model.Read_AGIM_Text(count.data(), 1, "bad.agim"));
  testing::internal::GetCapturedStderr();
  EXPECT_NE(model.load_error.find("found \"1\""), std::string::npos) << model.load_error;
}

}  // namespace
