// The model file reader: the patch count, then per patch 11 ints (id, level, storage level,
// four neighbour ids, four direction codes), 6 x N x N floats and one separator character.
// Everything is checked; a file is taken whole or rejected whole with one clear error line.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "model/AGIM.h"
#include "model/Level.h"
#include "model/ModelTokenScanner.h"

namespace {

using agim::ModelTokenScanner;
using agim::TokenStatus;

// The fewest bytes one patch record can take: 35 numbers of one character each, blanks
// between them, and a one-byte separator that may touch the numbers on either side.
constexpr std::size_t kMinRecordBytes = 70;
// The fewest bytes a float sample can take inside a record: one character and a blank.
constexpr std::size_t kMinSampleBytes = 2;

// Leaves `model` as an unreadable file does (no patches) and reports `message` on stderr.
void reject(AGIM& model, std::string message) {
  model.element_count = 0;
  model.elements = std::vector<AGIM_element>();
  model.lod_reference = -2.0f;
  model.load_error = std::move(message);
  std::fprintf(stderr, "%s\n", model.load_error.c_str());
}

// Parses one model text into temporaries; on failure `error` holds the one-line reason.
class RecordParser {
 public:
  // Parses the text `scan` reads; `source` names the text in messages.
  RecordParser(const agim::ModelTokenScanner& scan, const char* source)
      : scan_(scan), source_(source) {}

  // Reads the count and every record. False, with `error` set, when the text is rejected.
  bool parse() {
    if (!read_count()) return false;
    elements.resize(static_cast<std::size_t>(count));
    record_of_id_.assign(static_cast<std::size_t>(count), -1);
    for (record_ = 0; record_ < count; ++record_) {
      id_ = -1;
      if (!read_record()) return false;
    }
    return true;
  }

  int count = 0;                       // patch count read from the text
  std::vector<AGIM_element> elements;  // the patches, slot = id
  std::string error;                   // why the text was rejected

 private:
  // Reads and bounds the patch count.
  bool read_count() {
    const char* at = nullptr;
    if (!read_int(count, "the patch count", -1, at)) return false;
    if (count < 0) return fail(at, "a patch count of 0 or more");
    const std::size_t fit = scan_.remaining() / kMinRecordBytes;
    if (static_cast<std::size_t>(count) > fit) {
      return fail(at, "a patch count the file can hold (" + std::to_string(fit) +
                          " records at most in the " + std::to_string(scan_.remaining()) +
                          " bytes that follow)");
    }
    return true;
  }

  // Reads one record into the slot its id names.
  bool read_record() {
    const char* at = nullptr;
    int id = 0;
    if (!read_int(id, "the patch id", -1, at)) return false;
    if (id < 0 || id >= count)
      return fail(at, "a patch id from 0 to " + std::to_string(count - 1));
    const int earlier = record_of_id_[static_cast<std::size_t>(id)];
    if (earlier >= 0) {
      return fail(at, "a patch id not used before (id " + std::to_string(id) +
                          " is already used by record " + std::to_string(earlier + 1) + ")");
    }
    record_of_id_[static_cast<std::size_t>(id)] = record_;
    id_ = id;
    AGIM_element& e = elements[static_cast<std::size_t>(id)];
    e.element_id = id;

    if (!read_int(e.level, "the level", -1, at)) return false;
    if (e.level < 1) return fail(at, "a level of 1 or more");
    e.base_level = e.level;

    if (!read_int(e.max_level, "the storage level", -1, at)) return false;
    if (e.max_level < 1 || e.max_level > agim::kMaxStorageLevel) {
      return fail(at, "a storage level from 1 to " + std::to_string(agim::kMaxStorageLevel));
    }
    if (e.level > e.max_level) {
      return fail(at, "a storage level no lower than the level " + std::to_string(e.level));
    }
    const int n = agim::grid_size_for_level(e.max_level);
    const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    // Check the text can hold the samples before allocating room for them.
    if (6 * cells * kMinSampleBytes > scan_.remaining()) {
      return fail(at, "a storage level whose " + std::to_string(6 * cells) +
                          " samples fit in the " + std::to_string(scan_.remaining()) +
                          " bytes that follow");
    }

    for (int k = 0; k < 4; ++k) {
      if (!read_int(e.neighbour[k], "the neighbour id", k, at)) return false;
      if (e.neighbour[k] < 0 || e.neighbour[k] >= count) {
        return fail(at, side_field("a neighbour id", k) + " from 0 to " +
                            std::to_string(count - 1));
      }
    }
    for (int k = 0; k < 4; ++k) {
      if (!read_int(e.side_orientation[k], "the direction code", k, at)) return false;
    }
    e.grid_size = agim::grid_size_for_level(e.level);

    e.position_grid.resize(n);
    e.normal_grid.resize(n);
    Point* positions = e.position_grid.data();
    Point* normals = e.normal_grid.data();
    for (std::size_t i = 0; i < cells; ++i) {
      if (!read_sample(positions[i].x, i, 0, n) || !read_sample(positions[i].y, i, 1, n) ||
          !read_sample(positions[i].z, i, 2, n) || !read_sample(normals[i].x, i, 3, n) ||
          !read_sample(normals[i].y, i, 4, n) || !read_sample(normals[i].z, i, 5, n))
        return false;
    }
    return read_separator();
  }

  // Reads value `value` (0..5) of sample `cell` of an n x n record into `out`.
  bool read_sample(float& out, std::size_t cell, int value, int n) {
    const TokenStatus status = scan_.read_float(out);
    if (status == TokenStatus::kOk) return true;
    const std::size_t side = static_cast<std::size_t>(n);
    std::string what = "a float sample (row " + std::to_string(cell / side) + ", column " +
                       std::to_string(cell % side) + ", value " + std::to_string(value + 1) +
                       " of 6)";
    if (status == TokenStatus::kOutOfRange) what += " within the float range";
    return fail(scan_.token_start(), what);
  }

  // Reads and discards the end-of-record separator.
  bool read_separator() {
    char separator = 0;
    if (scan_.read_char(separator) != TokenStatus::kOk)
      return fail(scan_.token_start(), "the end-of-record separator character");
    if (ModelTokenScanner::can_begin_number(separator)) {
      return fail(scan_.token_start(),
                  "the end-of-record separator character (one that cannot begin a number)",
                  "; the separator seems to be missing");
    }
    return true;
  }

  // Reads the int field `field` (of side `side` when that is 0..3); `at` receives where the
  // token begins. The message is only built when the read fails.
  bool read_int(int& out, const char* field, int side, const char*& at) {
    const TokenStatus status = scan_.read_int(out);
    at = scan_.token_start();
    if (status == TokenStatus::kOk) return true;
    std::string what = (side >= 0) ? side_field(field, side) : std::string(field);
    what += " (an int)";
    if (status == TokenStatus::kOutOfRange) what += " within the int range";
    return fail(at, what);
  }

  // "<field> of side k".
  static std::string side_field(const char* field, int side) {
    return std::string(field) + " of side " + std::to_string(side);
  }

  // Records the message for a bad token at `at`: place, record, expectation and what is there.
  bool fail(const char* at, const std::string& expected, const char* note = "") {
    const agim::TextPlace place = scan_.place_of(at);
    error = source_ + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) +
            ": ";
    if (record_ >= 0) {
      error += "record " + std::to_string(record_ + 1) + " of " + std::to_string(count);
      if (id_ >= 0) error += " (id " + std::to_string(id_) + ")";
      error += ": ";
    }
    error += "expected " + expected + ", found " + scan_.describe_token(at) + note;
    return false;
  }

  ModelTokenScanner scan_;           // the text
  std::string source_;               // the text's name in messages
  std::vector<int> record_of_id_;    // per id, the record that used it, or -1
  int record_ = -1;                  // record being read (0-based), -1 before the first
  int id_ = -1;                      // id of the record being read, -1 until known
};

// Closes a C file when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Frees a buffer from allocate_bytes.
struct FreeBytes {
  void operator()(char* bytes) const { std::free(bytes); }
};

// An owned, uninitialised byte buffer.
using ByteBuffer = std::unique_ptr<char, FreeBytes>;

// Allocates `size` uninitialised bytes (throws std::bad_alloc).
ByteBuffer allocate_bytes(std::size_t size) {
  void* bytes = std::malloc(size > 0 ? size : 1);
  if (bytes == nullptr) throw std::bad_alloc();
  return ByteBuffer(static_cast<char*>(bytes));
}

// The whole contents of a file, in one buffer left uninitialised beyond what was read.
struct FileBytes {
  ByteBuffer data;        // the bytes
  std::size_t size = 0;  // how many were read
};

// Reads an open file from its current place to its end into `out`; false with `why` set when
// reading fails.
bool read_whole_file(std::FILE* file, FileBytes& out, std::string& why) {
  std::size_t capacity = std::size_t{1} << 16;
  ByteBuffer data = allocate_bytes(capacity);
  std::size_t used = 0;
  while (true) {
    if (used == capacity) {
      ByteBuffer larger = allocate_bytes(capacity * 2);
      std::memcpy(larger.get(), data.get(), used);
      data = std::move(larger);
      capacity *= 2;
    }
    const std::size_t got = std::fread(data.get() + used, 1, capacity - used, file);
    used += got;
    if (got == 0) break;
  }
  if (std::ferror(file)) {
    why = std::string("cannot read the model file: ") +
          (errno != 0 ? std::strerror(errno) : "read error");
    return false;
  }
  out.data = std::move(data);
  out.size = used;
  return true;
}

// Hands an open file to the scanner in windows of about half a megabyte, read as they are
// needed into one reused buffer. A window ends just after its last whitespace byte, and the
// bytes after it open the next window, so no token is split; a run without whitespace longer
// than the buffer makes the buffer grow.
class FileWindows final : public ModelTokenScanner::Source {
 public:
  // Reads `file`, which stays owned by the caller.
  explicit FileWindows(std::FILE* file) : file_(file) {}

  // Moves the unhanded bytes to the front, reads on, and hands out up to the last whitespace.
  bool next(const char*& begin, const char*& end) override {
    if (!buffer_) buffer_ = allocate_bytes(capacity_);
    char* bytes = buffer_.get();
    const std::size_t kept = used_ - handed_;
    if (kept > 0 && handed_ > 0) std::memmove(bytes, bytes + handed_, kept);
    used_ = kept;
    handed_ = 0;
    std::size_t searched = 0;  // bytes already known to hold no whitespace
    while (true) {
      while (!at_end_ && used_ < capacity_) {
        const std::size_t got = std::fread(bytes + used_, 1, capacity_ - used_, file_);
        if (got == 0) {
          if (std::ferror(file_)) {
            failed_ = true;
            why_ = errno != 0 ? std::strerror(errno) : "read error";
          }
          at_end_ = true;
        }
        used_ += got;
      }
      std::size_t cut = used_;
      if (!at_end_) {
        while (cut > searched && !ModelTokenScanner::is_space(bytes[cut - 1])) --cut;
        if (cut == searched) {
          // No whitespace yet: grow the buffer and read on.
          ByteBuffer larger = allocate_bytes(capacity_ * 2);
          std::memcpy(larger.get(), bytes, used_);
          buffer_ = std::move(larger);
          bytes = buffer_.get();
          capacity_ *= 2;
          searched = used_;
          continue;
        }
      }
      begin = bytes;
      end = bytes + cut;
      handed_ = cut;
      return cut > 0;
    }
  }

  // True when reading the file failed; why() says why.
  bool failed() const { return failed_; }
  // The system's reason for a failed read.
  const std::string& why() const { return why_; }

 private:
  std::FILE* file_;                        // the file being read
  ByteBuffer buffer_;                      // the window and the bytes read after it
  std::size_t capacity_ = std::size_t{1} << 19;  // size of buffer_
  std::size_t used_ = 0;                   // bytes of buffer_ holding file data
  std::size_t handed_ = 0;                 // bytes of buffer_ in the current window
  bool at_end_ = false;                    // the file has no more bytes
  bool failed_ = false;                    // a read failed
  std::string why_;                        // why it failed
};

}  // namespace

namespace {

// Moves a parsed model into `model`, or rejects it; writes lod_reference either way.
bool adopt(AGIM& model, RecordParser& parser, bool parsed) {
  if (!parsed) {
    reject(model, std::move(parser.error));
    return false;
  }
  model.element_count = parser.count;
  model.elements = std::move(parser.elements);
  model.lod_reference = -2.0f;
  model.load_error.clear();
  return true;
}

}  // namespace

bool AGIM::Read_AGIM_Text(const char* text, std::size_t length, const char* source_name) {
  Write_Load_Constants();
  const char* source = (source_name != nullptr) ? source_name : "<model text>";
  if (text == nullptr && length != 0) {
    reject(*this, std::string(source) + ": no text to read");
    return false;
  }
  try {
    RecordParser parser(agim::ModelTokenScanner(text, length), source);
    const bool parsed = parser.parse();
    return adopt(*this, parser, parsed);
  } catch (const std::bad_alloc&) {
    reject(*this, std::string(source) + ": not enough memory to hold the model");
    return false;
  }
}

bool AGIM::Read_AGIM_File(const char* filename) {
  Write_Load_Constants();
  if (filename == nullptr) {
    reject(*this, "<no file name>: cannot open the model file: no file name given");
    return false;
  }
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(filename, "rb"));
  if (!file) {
    reject(*this, std::string(filename) + ": cannot open the model file: " + std::strerror(errno));
    return false;
  }
  struct stat info {};
  if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    reject(*this, std::string(filename) + ": cannot read the model file: " + std::strerror(EISDIR));
    return false;
  }
  try {
    if (info.st_size > 0 && S_ISREG(info.st_mode)) {
      // A regular file is parsed window by window as it is read: no copy of the whole text.
      FileWindows windows(file.get());
      RecordParser parser(
          agim::ModelTokenScanner(windows, static_cast<std::size_t>(info.st_size)), filename);
      bool parsed = parser.parse();
      if (windows.failed()) {
        parser.error = std::string(filename) + ": cannot read the model file: " + windows.why();
        parsed = false;
      }
      return adopt(*this, parser, parsed);
    }
    // Anything else (a pipe, a device, an empty file) is read whole first.
    FileBytes bytes;
    std::string why;
    if (!read_whole_file(file.get(), bytes, why)) {
      reject(*this, std::string(filename) + ": " + why);
      return false;
    }
    return Read_AGIM_Text(bytes.data.get(), bytes.size, filename);
  } catch (const std::bad_alloc&) {
    reject(*this, std::string(filename) + ": not enough memory to read the model");
    return false;
  }
}
