// Model file writer.
#include "model/AGIM_Writer.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "model/Level.h"

namespace agim {

namespace {

void set_error(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

void append_int(std::string* out, int value) {
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  out->append(buf, res.ptr);
}

void append_float(std::string* out, float value) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);  // shortest round-trip form
  out->append(buf, res.ptr);
}

// Checks one patch against what the reader accepts; empty when it is fine.
std::string check_patch(const AGIM& model, int slot) {
  const AGIM_element& e = model.elements[static_cast<std::size_t>(slot)];
  const std::string where = "patch " + std::to_string(slot) + ": ";
  if (e.max_level < 1 || e.max_level > kMaxStorageLevel)
    return where + "storage level " + std::to_string(e.max_level) + " outside 1.." +
           std::to_string(kMaxStorageLevel);
  if (e.level < 1 || e.level > e.max_level)
    return where + "level " + std::to_string(e.level) + " outside 1.." + std::to_string(e.max_level);
  const int n = grid_size_for_level(e.max_level);
  if (e.position_grid.size() != n || e.normal_grid.size() != n)
    return where + "grids of " + std::to_string(e.position_grid.size()) + " and " +
           std::to_string(e.normal_grid.size()) + " samples a side, storage level needs " +
           std::to_string(n);
  for (int s = 0; s < 4; ++s) {
    if (e.neighbour[s] < 0 || e.neighbour[s] >= model.element_count)
      return where + "neighbour id " + std::to_string(e.neighbour[s]) + " across side " +
             std::to_string(s) + " outside 0.." + std::to_string(model.element_count - 1);
  }
  for (const PointGrid* g : {&e.position_grid, &e.normal_grid}) {
    const Point* p = g->data();
    for (std::size_t i = 0; i < g->sample_count(); ++i) {
      if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y) || !std::isfinite(p[i].z)) {
        const int r = static_cast<int>(i / static_cast<std::size_t>(n));
        const int c = static_cast<int>(i % static_cast<std::size_t>(n));
        return where + (g == &e.position_grid ? "position" : "normal") + " at row " +
               std::to_string(r) + ", column " + std::to_string(c) + " is not a finite number";
      }
    }
  }
  return {};
}

// Checks the whole model before anything is written; empty when it is fine.
std::string check_model(const AGIM& model) {
  if (model.element_count < 0 || static_cast<std::size_t>(model.element_count) != model.elements.size())
    return "patch count " + std::to_string(model.element_count) + " does not match the " +
           std::to_string(model.elements.size()) + " patches held";
  for (int slot = 0; slot < model.element_count; ++slot) {
    std::string problem = check_patch(model, slot);
    if (!problem.empty()) return problem;
  }
  return {};
}

// Appends the record of the patch in `slot`: its 11 ints, its samples row by row, and the
// end-of-record separator.
void format_patch(const AGIM& model, int slot, std::string* out) {
  const AGIM_element& e = model.elements[static_cast<std::size_t>(slot)];
  // id, level, storage level, four neighbours, four direction codes
  const int head[11] = {slot, e.level, e.max_level, e.neighbour[0], e.neighbour[1], e.neighbour[2],
                        e.neighbour[3], e.side_orientation[0], e.side_orientation[1],
                        e.side_orientation[2], e.side_orientation[3]};
  for (int i = 0; i < 11; ++i) {
    if (i) out->push_back(' ');
    append_int(out, head[i]);
  }
  out->push_back('\n');
  const int n = e.position_grid.size();
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const Point& p = e.position_grid[r][c];
      const Point& q = e.normal_grid[r][c];
      const float v[6] = {p.x, p.y, p.z, q.x, q.y, q.z};
      for (int i = 0; i < 6; ++i) {
        if (i) out->push_back(' ');
        append_float(out, v[i]);
      }
      out->push_back('\n');
    }
  }
  out->append(";\n");  // end-of-record separator
}

}  // namespace

bool Format_AGIM_Text(const AGIM& model, std::string* out, std::string* error) {
  std::string problem = check_model(model);
  if (!problem.empty()) {
    set_error(error, std::move(problem));
    return false;
  }
  append_int(out, model.element_count);
  out->push_back('\n');
  for (int slot = 0; slot < model.element_count; ++slot) format_patch(model, slot, out);
  return true;
}

bool Write_AGIM_File(const AGIM& model, const char* filename, std::string* error) {
  const std::string name = filename ? filename : "";
  std::string problem = check_model(model);
  if (!problem.empty()) {
    set_error(error, name + ": cannot write model: " + problem);
    return false;
  }
  std::FILE* raw = std::fopen(name.c_str(), "wb");
  if (!raw) {
    set_error(error, name + ": cannot open for writing: " + std::strerror(errno));
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(raw, &std::fclose);
  // The text goes out in chunks of about a megabyte, so large models need no second copy.
  constexpr std::size_t kChunk = 1 << 20;
  std::string text;
  text.reserve(2 * kChunk);
  auto flush = [&]() {
    const bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    text.clear();
    return ok;
  };
  append_int(&text, model.element_count);
  text.push_back('\n');
  for (int slot = 0; slot < model.element_count; ++slot) {
    format_patch(model, slot, &text);
    if (text.size() >= kChunk && !flush()) {
      set_error(error, name + ": write failed: " + std::strerror(errno));
      return false;
    }
  }
  if (!flush() || std::fflush(file.get()) != 0) {
    set_error(error, name + ": write failed: " + std::strerror(errno));
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    set_error(error, name + ": write failed on close: " + std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace agim
