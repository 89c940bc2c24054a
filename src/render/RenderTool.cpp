#include "render/RenderTool.h"

#include <GL/gl.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "model/AGIM.h"
#include "morph/MorphSequencer.h"
#include "render/FrameRenderer.h"
#include "render/HeadlessContext.h"
#include "render/PngWriter.h"
#include "render/SceneCamera.h"

namespace agim {
namespace {

// Parsed command line.
struct ToolOptions {
  std::string out_dir;
  int width = 640;
  int height = 480;
  int frames = 1;
  float angle = 0.0f;
  bool turntable = false;
  bool wireframe = false;
  bool crack_free = false;
  bool help = false;
  std::vector<std::string> files;
};

// Whole-string integer in [lo, hi].
bool parse_int(const std::string& text, int lo, int hi, int* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *value = static_cast<int>(v);
  return true;
}

// Returns an empty string when the command line is valid, otherwise what is wrong with it.
std::string parse(const std::vector<std::string>& args, ToolOptions* o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* v) {
      if (i + 1 >= args.size()) return false;
      *v = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      o->help = true;
    } else if (a == "--out") {
      if (!value(&o->out_dir) || o->out_dir.empty()) return "--out needs a folder";
    } else if (a == "--size") {
      if (!value(&v)) return "--size needs WxH";
      const std::size_t x = v.find('x');
      if (x == std::string::npos || !parse_int(v.substr(0, x), 1, 8192, &o->width) ||
          !parse_int(v.substr(x + 1), 1, 8192, &o->height))
        return "--size expects WxH with both in 1..8192, got '" + v + "'";
    } else if (a == "--frames") {
      if (!value(&v) || !parse_int(v, 1, 100000, &o->frames))
        return "--frames expects a whole number in 1..100000" + (v.empty() ? std::string() : ", got '" + v + "'");
    } else if (a == "--angle") {
      if (!value(&v)) return "--angle needs degrees";
      char* end = nullptr;
      const double d = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || !std::isfinite(d) || std::fabs(d) > 1e6)
        return "--angle expects a number of degrees, got '" + v + "'";
      o->angle = static_cast<float>(d);
    } else if (a == "--turntable") {
      o->turntable = true;
    } else if (a == "--wireframe") {
      o->wireframe = true;
    } else if (a == "--crack-free") {
      o->crack_free = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else {
      o->files.push_back(a);
    }
  }
  if (o->help) return "";
  if (o->out_dir.empty()) return "--out DIR is required";
  if (o->files.empty()) return "no model file given";
  return "";
}

// Frame file name: DIR/frame_0000.png.
std::string frame_path(const std::string& dir, int index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%04d.png", index);
  return (std::filesystem::path(dir) / name).string();
}

}  // namespace

std::string render_tool_usage() {
  return "usage: agim-render --out DIR [--size WxH] [--frames N] [--angle DEG] [--turntable]\n"
         "                   [--wireframe] [--crack-free] FILE...\n"
         "Renders a model (one FILE) or a morph through the model files in order (several\n"
         "FILEs, 17 frames a stage, wrapping round) to DIR/frame_0000.png, ... without a display.\n"
         "  --out DIR      folder for the PNG frames (created when missing)\n"
         "  --size WxH     frame size in pixels (default 640x480)\n"
         "  --frames N     number of frames (default 1); each frame is one morph step\n"
         "  --angle DEG    turntable angle of the first frame (the model turns by -DEG about z)\n"
         "  --turntable    advance the angle by 3 degrees every frame\n"
         "  --wireframe    draw the black patch grid over the surface\n"
         "  --crack-free   draw the strips and the zipper geometry instead of the quads\n"
         "  --help         show this text\n";
}

int run_render_tool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ToolOptions o;
  const std::string problem = parse(args, &o);
  if (o.help && problem.empty()) {
    out << render_tool_usage();
    return 0;
  }
  if (!problem.empty()) {
    err << "agim-render: " << problem << "\n" << render_tool_usage();
    return 1;
  }
  std::error_code ec;
  std::filesystem::create_directories(o.out_dir, ec);
  if (ec || !std::filesystem::is_directory(o.out_dir)) {
    err << "agim-render: " << o.out_dir << ": cannot create the output folder"
        << (ec ? ": " + ec.message() : std::string()) << "\n";
    return 1;
  }

  HeadlessContext context(o.width, o.height);
  if (!context.ok()) {
    err << "agim-render: " << context.error() << "\n";
    return 1;
  }

  // Loading runs with the context current, as the viewer loads inside its own context.
  MorphSequencer sequencer;
  const std::vector<std::string> errors = sequencer.Open_Files(o.files);
  if (!errors.empty()) {
    for (const std::string& e : errors) err << "agim-render: " << e << "\n";
    return 1;
  }
  const std::string layout = sequencer.Layout_Difference();
  if (!layout.empty()) err << "agim-render: warning: " << layout << "\n";

  std::vector<const AGIM*> models;
  for (const auto& m : sequencer.AGIM_Model_Set) models.push_back(m.get());
  // Turning frames are framed about the turntable axis so that the picture does not shift.
  const bool turning = o.turntable || o.angle != 0.0f;
  const double centre[3] = {kTurntableCentre[0], kTurntableCentre[1], kTurntableCentre[2]};
  const BoundingSphere sphere = turning ? bounding_sphere_about(models, centre) : bounding_sphere(models);

  float r_time = o.angle;
  AGIM frame_model;
  for (int f = 0; f < o.frames; ++f) {
    // The engine's current working model is drawn from a copy, prepared as this frame needs.
    copy_patches(sequencer.Morph_instance->Get_Current_AGIM(), frame_model);
    if (o.crack_free) prepare_crack_free(frame_model);
    FrameOptions frame;
    frame.angle_degrees = r_time;
    frame.wireframe = o.wireframe;
    frame.crack_free = o.crack_free;
    render_frame(frame_model, sphere, o.width, o.height, frame);
    const GLenum gl_error = glGetError();
    if (gl_error != GL_NO_ERROR) err << "agim-render: warning: OpenGL error 0x" << std::hex << gl_error << std::dec << "\n";
    const std::string path = frame_path(o.out_dir, f);
    std::string write_error;
    if (!write_png_rgb(path, o.width, o.height, context.read_pixels(), &write_error)) {
      err << "agim-render: " << write_error << "\n";
      return 1;
    }
    out << "wrote " << path << "\n";

    if (o.turntable) {
      // Three degrees a frame, as the viewer's rotation timer; a start angle off the 3-degree
      // grid wraps by a full turn instead of only at exactly 360.
      r_time += 3.0f;
      if (r_time >= 360.0f) r_time -= 360.0f;
    }
    if (sequencer.AGIM_Model_Set.size() >= 2) sequencer.Tick();
  }
  return 0;
}

}  // namespace agim
