// Pre-transformed primitives turned into what OpenGL draws with exactly the pixels Direct3D 9
// covers: pixel centres at integer coordinates, points as one-pixel squares, lines by the
// diamond-exit rule without their last pixel, triangles by the top-left fill rule. Points and
// lines are worked out here, pixel by pixel, and leave as runs of pixels along one row or
// column, each an OpenGL line from the centre of its first pixel to the centre of the pixel
// after its last (which every rasteriser draws alike); triangles leave as they came. Points and
// lines of any type therefore share one OpenGL draw. (Runs as one-pixel rectangles would let
// triangles share it too, but cost Mesa's software rasteriser a third more time per frame; the
// renderer instead gathers runs along rows into rectangles, see gl_renderer.h.)
#pragma once

#include <cstdint>
#include <vector>

namespace gl {

// One vertex as the device received it, whatever its layout.
struct SourceVertex {
  float x, y, z;
  std::uint32_t diffuse;  // ARGB
  float u[2], v[2];
};

// One vertex as OpenGL draws it: still in the target's pixel coordinates (top row 0); the
// vertex program puts the pixel centres where OpenGL has them.
struct GlVertex {
  float x, y, z;
  std::uint32_t diffuse;
  float u0, v0, u1, v1;
  std::int32_t variant;  // which of a draw's stage settings colours it (see Renderer)
  std::int32_t span;     // on a rectangle of spans: its row table's index less its top row
};

// The pixels a primitive may touch (the clip rectangle); lines are only walked inside it.
struct PixelBounds {
  int left, top, right, bottom;  // right and bottom exclusive
};

enum class Primitive { PointList = 1, LineList = 2, LineStrip = 3, TriangleList = 4, TriangleStrip = 5, TriangleFan = 6 };

// Everything but the position (and the variant and span the renderer adds) is the same.
bool SameAttributes(const GlVertex& a, const GlVertex& b);

// Vertices for OpenGL in drawing order, as stretches of line-list and triangle-list vertices.
// While every primitive so far is a run of pixels along one row with the same attributes at
// both ends (as a filled disc's rows are), only the runs are kept, each with its attributes
// (`looks`, shared by consecutive runs alike); the first other primitive, or Unfold, turns them
// into lines.
struct Batch {
  struct Stretch {
    bool lines;
    std::size_t first, count;
  };
  struct RowSpan {
    int row, left, right;  // right exclusive
    std::uint32_t look;    // index in looks
  };
  std::vector<GlVertex> vertices;
  std::vector<Stretch> stretches;
  std::vector<RowSpan> rows;
  std::vector<GlVertex> looks;
  PixelBounds rowsExtent{};  // of the runs kept: their pixels, right and bottom exclusive
  bool rowsOnly = true;

  void Line(const GlVertex& a, const GlVertex& b);
  // The pixels left..right - 1 of `row`, each with the attributes of `look`.
  void Row(const GlVertex& look, int row, int left, int right);
  void Triangle(const GlVertex& a, const GlVertex& b, const GlVertex& c);
  // Lists the runs kept so far as lines, each from a quarter pixel before its first pixel's
  // centre to a quarter pixel past its last one's; later runs go straight to lines.
  void Unfold();
  bool empty() const { return vertices.empty() && rows.empty(); }
  void clear() {
    vertices.clear();
    stretches.clear();
    rows.clear();
    looks.clear();
    rowsOnly = true;
  }

 private:
  void Open(bool lines);
  void Push(const GlVertex& a, const GlVertex& b);
};

// Appends `primitiveCount` primitives of `type` taken from `vertices`. With flat shading every
// pixel of a primitive takes its first vertex's colour. Returns false for an unknown primitive
// type or too few vertices.
bool AppendPrimitives(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
                      bool flatShading, const PixelBounds& bounds, Batch& out);

// Vertices needed for `primitiveCount` primitives of `type`, or 0 for an unknown type.
std::size_t VertexCountFor(Primitive type, unsigned primitiveCount);

// The pixels a line from a to b covers, as runs along its major axis (exposed for tests).
struct LineRun {
  int x0, y0, x1, y1;  // first and last pixel, inclusive; equal on the minor axis
};
void LinePixelRuns(float ax, float ay, float bx, float by, const PixelBounds& bounds, std::vector<LineRun>& out);

}  // namespace gl
