// AGIM: one adaptive geometry image model (a set of square patches, AGIM_element), and every
// operation on it: reading, crack-fixing preparation, level changes, strips and drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Point.h"
#include "model/PointGrid.h"
#include "zipper/AGIM_Zipper_Block.h"

// One square patch. Sides: 0 is row 0, 1 column 0, 2 row N-1, 3 column N-1; every per-side
// array is indexed by that number. Grids are N x N with N = 2^(max_level-1)+1; the current
// level uses grid_size = 2^(level-1)+1 samples a side, at stride 2^(max_level-level).
struct AGIM_element {
  PointGrid position_grid;                 // sample positions in x, y, z
  PointGrid normal_grid;                   // sample normals in x, y, z
  std::vector<VBO_Vertex> strip_vertices;  // triangle-strip positions at the current level
  std::vector<VBO_Vertex> strip_normals;   // normals matching strip_vertices entry for entry
  int level = 0;                           // current level, 1 .. max_level
  int max_level = 0;                       // storage level; fixes N
  int base_level = 0;                      // level when loaded; ceiling for refining
  int grid_size = 0;                       // 2^(level-1)+1
  int neighbour[4] = {0, 0, 0, 0};         // id of the patch across each side
  int side_orientation[4] = {0, 0, 0, 0};  // direction code: 1 walks the side from its far end
  bool side_zipper[4] = {false, false, false, false};  // side borders a finer patch
  int element_id = 0;                      // the patch's id, equal to its slot
  bool has_zipper = false;                 // at least one side_zipper set
  std::unique_ptr<ZipperBlockSides> zipper_blocks;  // null until blocks are first built
  bool out_of_view = false;                // set by the view test
  int strip_vertex_count = 0;              // entries in strip_vertices and strip_normals
};

// One model. A model is created empty (no patches) and filled by Load_AGIM; slot k of
// `elements` holds the patch whose id is k.
class AGIM {
 public:
  int element_count = 0;              // number of patches
  std::vector<AGIM_element> elements;  // element_count patches, slot k = id k
  float focus_max_x = 0.0f;           // focus rectangle, window pixels (origin bottom left)
  float focus_max_y = 0.0f;
  float focus_min_x = 0.0f;
  float focus_min_y = 0.0f;
  float lod_reference = 0.0f;         // control value of the last level-of-detail change
  std::vector<uint32_t> vertex_buffer_ids;  // per patch strip-position buffer; empty: none
  std::vector<uint32_t> normal_buffer_ids;  // per patch strip-normal buffer; empty: none
  std::vector<int> buffer_vertex_counts;    // entries each patch's buffers hold, as uploaded

  // Why the last Load_AGIM rejected its file (one line naming file, place and expectation);
  // empty when it succeeded.
  std::string load_error;

  AGIM() = default;
  AGIM(AGIM&&) noexcept = default;
  AGIM& operator=(AGIM&&) noexcept = default;
  AGIM(const AGIM&) = delete;
  AGIM& operator=(const AGIM&) = delete;

  // --- Reading and preparation ---------------------------------------------------------
  // Writes the constants every freshly read model carries: the focus rectangle
  // (296.833 .. 625.167 by 107.833 .. 436.167) and lod_reference -2.0.
  void Write_Load_Constants();
  // Reads the model file, prepares its zipper data, builds its strips and uploads them.
  // A file that cannot be read or is malformed leaves the model with no patches, the reason
  // in load_error and on stderr; preparation and upload still run (on no patches).
  void Load_AGIM(const char* filename);
  // The reading half: parses the file into this model (replacing its patches) and writes the
  // focus constants and lod_reference. Returns false, with load_error set and the model left
  // with no patches, when the file is rejected.
  bool Read_AGIM_File(const char* filename);
  // The load-time crack-fixing preparation: Detect_IFZipper, Fill_ZipperBlock,
  // Detect_Corner_NeiZB(0), Detect_Corner_NeiZB(1), Fill_headtail_ZB.
  void Prepare_Zipper_Data();
  // Parses model text held in memory; `source_name` names it in errors.
  bool Read_AGIM_Text(const char* text, std::size_t length, const char* source_name);

  // --- Strip buffers and GPU upload ----------------------------------------------------
  // Builds every patch's triangle strip at its current level (first and second pass).
  void Build_Strip_Buffers();
  // Uploads the strips as buffer objects when the current context offers them, printing
  // "VBO Support" and the total, or "VBO Support failed". Replaces earlier buffers' names.
  void Upload_Strip_Buffers();

  // --- Crack-fixing preparation --------------------------------------------------------
  void Detect_IFZipper();
  void Fill_ZipperBlock();
  void Detect_IFNZB_CZB();
  void Fill_OneColumn_ZB(int element, int side);
  void Select_OneColumn_ZB(int element, int side);
  void Detect_Corner_NeiZB(int unused);
  void Fill_headtail_ZB();
  void Fill_headtail_NZB(int element);
  void Fill_headtail_CZB(int element);
  void Fill_headtail_CSZB(int element, int side, int block);
  void Fill_headtail_CNZB(int element, int side, int block);
  void LOD_Change(double value);
  void Viewport_Test();
  // Crack-free mode: flags as corner blocks the end blocks at every patch corner where both
  // sides are filled zipper sides (patches of two or more blocks a side, direction codes
  // 1, 0, 0, 1) and builds their corner head/tail lists. Zipper drawing then covers every
  // corner cell exactly once.
  void Flag_CornerZB();

  // --- Drawing (current OpenGL context) -------------------------------------------------
  void Render_AGIM() const;
  void Render_AGIM_Wireframe() const;
  void Render_AGIMwithVBO() const;
  void Render_ZipperAGIM() const;
  int Unique_NormalZB_Render(int element) const;
  int Stitch_ZB_Render(int element) const;
  int Unique_CornerZB_Render(int element) const;
  int Special_CornerZB_Render(int element, int side, int block) const;
  int General_CornerZB_Render(int element, int side, int block) const;
  int Stitch_CornerZB_Render(int element) const;
  int Stitch_CornerZB_SameLV(int element, int partner_element, int side, int block,
                             int partner_side, int partner_block, Point* corner_pair) const;
  int Stitch_CornerZB_DiffOneLV(int element, int partner_element, int side, int block,
                                int partner_side, int partner_block, Point* corner_pair) const;
  int Stitch_CornerZB_DiffBigLV(int element, int partner_element, int side, int block,
                                int partner_side, int partner_block, Point* corner_pair) const;
};

// True when the named extension is a whole blank-separated word of the current context's
// extension string. False for an empty name, a name with a blank, or no current context.
bool IsExtensionSupported(const char* szTargetExtension);
