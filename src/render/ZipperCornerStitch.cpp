// The corner stitching: the band along the diagonal of a corner cell, between the diagonal
// chains of the two corner blocks that share the cell, drawn from the patch corner C to the
// opposite inner corner D.
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "model/AGIM.h"
#include "render/ZipperBlockAccess.h"
#include "render/ZipperEmit.h"

namespace {

constexpr agim::VertexForm kForm = agim::VertexForm::Homogeneous;

// The two diagonal chains of a corner: P of block B, Q of its partner A.
struct CornerChains {
  const std::vector<Point>* P = nullptr;  // B's chain: head of a first block, else tail
  const std::vector<Point>* Q = nullptr;  // A's chain, chosen the same way
  int dB = 0;                             // B's level difference
  int dA = 0;                             // A's level difference
  bool first = true;                      // B is the first block of its side
};

// Looks up both blocks and their chains; false when either is not a drawable block with
// chains of level_diff + 1 entries, or when no corner pair is given.
bool corner_chains(const AGIM& model, int element, int partner_element, int side, int block,
                   int partner_side, int partner_block, const Point* corner_pair,
                   CornerChains& out) {
  if (corner_pair == nullptr) return false;
  const std::vector<AGIM_Zipper_Block>* bs = agim::zipper_side(model, element, side);
  const std::vector<AGIM_Zipper_Block>* as =
      agim::zipper_side(model, partner_element, partner_side);
  if (bs == nullptr || as == nullptr || block < 0 || partner_block < 0 ||
      static_cast<std::size_t>(block) >= bs->size() ||
      static_cast<std::size_t>(partner_block) >= as->size())
    return false;
  const AGIM_Zipper_Block& B = (*bs)[static_cast<std::size_t>(block)];
  const AGIM_Zipper_Block& A = (*as)[static_cast<std::size_t>(partner_block)];
  if (!agim::has_chains(B) || !agim::has_chains(A)) return false;
  out.first = block == 0;
  out.P = out.first ? &B.head : &B.tail;
  out.Q = partner_block == 0 ? &A.head : &A.tail;
  out.dB = B.level_diff;
  out.dA = A.level_diff;
  return true;
}

}  // namespace

int AGIM::Stitch_CornerZB_Render(int element) const {
  int count = 0;
  // Sides 0 and 2 between them end at all four patch corners.
  for (const int s : {0, 2}) {
    const std::vector<AGIM_Zipper_Block>* blocks = agim::zipper_side(*this, element, s);
    if (blocks == nullptr) continue;
    const int nb = static_cast<int>(blocks->size());
    for (const int b : {0, nb - 1}) {
      if (!(*blocks)[static_cast<std::size_t>(b)].is_corner) continue;
      agim::ZipperCorner corner;
      if (!agim::find_corner(*this, element, s, b, corner)) continue;
      if (!agim::has_chains(*corner.block) || !agim::has_chains(*corner.partner)) continue;
      const AGIM_Zipper_Block& B = *corner.block;
      const int m = B.sample_count;
      Point pair[2];
      pair[0] = corner.first ? B.samples[0][0] : B.samples[m - 1][0];          // C
      pair[1] = corner.first ? B.samples[m - 1][m - 1] : B.samples[0][m - 1];  // D
      const int dB = B.level_diff;
      const int dA = corner.partner->level_diff;
      const int gap = std::abs(dB - dA);
      if (dB == dA) {
        // Two one-level pyramids meet at the cell centre: the band has no area.
        if (dB != 1)
          count += Stitch_CornerZB_SameLV(element, element, s, b, corner.partner_side,
                                          corner.partner_block, pair);
      } else {
        count += Stitch_CornerZB_DiffOneLV(element, element, s, b, corner.partner_side,
                                           corner.partner_block, pair);
        if (gap >= 2)
          count += Stitch_CornerZB_DiffBigLV(element, element, s, b, corner.partner_side,
                                             corner.partner_block, pair);
      }
    }
  }
  return count;
}

int AGIM::Stitch_CornerZB_SameLV(int element, int partner_element, int side, int block,
                                 int partner_side, int partner_block, Point* corner_pair) const {
  CornerChains ch;
  if (!corner_chains(*this, element, partner_element, side, block, partner_side, partner_block,
                     corner_pair, ch))
    return 0;
  const int d = ch.dB;
  if (ch.Q->size() <= static_cast<std::size_t>(d)) return 0;
  const std::vector<Point>& P = *ch.P;
  const std::vector<Point>& Q = *ch.Q;
  const Point& C = corner_pair[0];
  const Point& D = corner_pair[1];
  if (ch.first) {
    agim::emit_triangle(P[1], Q[1], C, kForm);
    agim::emit_triangle(Q[d], P[d], D, kForm);
    // The inner quads are lit with the normal last sent, that of D.
    for (int k = 1; k < d; ++k) {
      agim::emit_triangle_positions(Q[k], P[k], Q[k + 1]);
      agim::emit_triangle_positions(Q[k + 1], P[k], P[k + 1]);
    }
  } else {
    agim::emit_triangle(Q[1], P[1], C, kForm);
    agim::emit_triangle(P[d], Q[d], D, kForm);
    for (int k = 1; k < d; ++k) {
      agim::emit_triangle_positions(Q[k + 1], P[k], Q[k]);
      agim::emit_triangle_positions(P[k + 1], P[k], Q[k + 1]);
    }
  }
  return 2 * d;
}

int AGIM::Stitch_CornerZB_DiffOneLV(int element, int partner_element, int side, int block,
                                    int partner_side, int partner_block, Point* corner_pair) const {
  CornerChains ch;
  if (!corner_chains(*this, element, partner_element, side, block, partner_side, partner_block,
                     corner_pair, ch))
    return 0;
  const std::vector<Point>& P = *ch.P;
  const std::vector<Point>& Q = *ch.Q;
  const int dB = ch.dB;
  const int dA = ch.dA;
  const Point& C = corner_pair[0];
  const Point& D = corner_pair[1];
  int count = 2;
  if (ch.first) {
    agim::emit_triangle(P[1], Q[1], C, kForm);
    agim::emit_triangle(Q[dA], P[dB], D, kForm);
  } else {
    agim::emit_triangle(Q[1], P[1], C, kForm);
    agim::emit_triangle(P[dB], Q[dA], D, kForm);
  }
  // Zigzag over the shorter chain and one more entry of the longer one.
  if (dB < dA) {
    for (int k = 1; k <= dB; ++k) {
      if (ch.first)
        agim::emit_triangle(P[k], Q[k + 1], Q[k], kForm);
      else
        agim::emit_triangle(P[k], Q[k], Q[k + 1], kForm);
      ++count;
      if (k < dB) {
        if (ch.first)
          agim::emit_triangle(P[k], P[k + 1], Q[k + 1], kForm);
        else
          agim::emit_triangle(P[k + 1], P[k], Q[k + 1], kForm);
        ++count;
      }
    }
  } else if (dB > dA) {
    for (int k = 1; k <= dA; ++k) {
      if (ch.first)
        agim::emit_triangle(Q[k], P[k], P[k + 1], kForm);
      else
        agim::emit_triangle(Q[k], P[k + 1], P[k], kForm);
      ++count;
      if (k < dA) {
        if (ch.first)
          agim::emit_triangle(Q[k + 1], Q[k], P[k + 1], kForm);
        else
          agim::emit_triangle(Q[k], Q[k + 1], P[k + 1], kForm);
        ++count;
      }
    }
  }
  return count;
}

int AGIM::Stitch_CornerZB_DiffBigLV(int element, int partner_element, int side, int block,
                                    int partner_side, int partner_block, Point* corner_pair) const {
  CornerChains ch;
  if (!corner_chains(*this, element, partner_element, side, block, partner_side, partner_block,
                     corner_pair, ch))
    return 0;
  const std::vector<Point>& P = *ch.P;
  const std::vector<Point>& Q = *ch.Q;
  const int dB = ch.dB;
  const int dA = ch.dA;
  int count = 0;
  // Fan round the apex of the shorter chain over the rest of the longer one.
  if (dB < dA) {
    for (int k = dB + 1; k <= dA - 1; ++k) {
      if (ch.first)
        agim::emit_triangle(P[dB], Q[k + 1], Q[k], kForm);
      else
        agim::emit_triangle(P[dB], Q[k], Q[k + 1], kForm);
      ++count;
    }
  } else if (dB > dA) {
    for (int k = dA + 1; k <= dB - 1; ++k) {
      if (ch.first)
        agim::emit_triangle(Q[dA], P[k], P[k + 1], kForm);
      else
        agim::emit_triangle(Q[dA], P[k + 1], P[k], kForm);
      ++count;
    }
  }
  return count;
}
