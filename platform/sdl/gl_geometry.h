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
  std::int32_t variant;      // which of the queue's stage settings colours it (see gl_renderer.h)
  std::int32_t tableOffset;  // on a run rectangle: its first row's index in the row table less its top row
};

// The pixels a primitive may touch (the clip rectangle); lines are only walked inside it.
struct PixelBounds {
  int left, top, right, bottom;  // right and bottom exclusive
};

enum class Primitive {
  PointList = 1,
  LineList = 2,
  LineStrip = 3,
  TriangleList = 4,
  TriangleStrip = 5,
  TriangleFan = 6
};

// Everything but the position (and the variant and tableOffset the renderer adds) is the same.
bool SameAttributes(const GlVertex& a, const GlVertex& b);

// A run: the pixels left..right - 1 of one row, each drawn with the same look.
struct Run {
  int row, left, right;  // right exclusive
  std::uint32_t look;    // index in the list's looks
};

// Vertices for OpenGL in drawing order, as ranges of line-list and triangle-list vertices.
// While every primitive so far is a run of pixels along one row with the same attributes at
// both ends (as a filled disc's rows are), only the runs are kept, each with its attributes
// (`looks`, shared by consecutive runs alike); the first other primitive, or RunsToLines, turns
// them into lines.
struct PrimitiveList {
  struct VertexRange {
    bool lines;
    std::size_t first, count;
  };
  std::vector<GlVertex> vertices;
  std::vector<VertexRange> ranges;
  std::vector<Run> runs;
  std::vector<GlVertex> looks;
  PixelBounds runsExtent{};  // of the runs kept: their pixels, right and bottom exclusive
  bool runsOnly = true;

  void Line(const GlVertex& a, const GlVertex& b);
  // The pixels left..right - 1 of `row`, each with the attributes of `look`.
  void AddRun(const GlVertex& look, int row, int left, int right);
  void Triangle(const GlVertex& a, const GlVertex& b, const GlVertex& c);
  // Lists the runs kept so far as lines, each from a quarter pixel before its first pixel's
  // centre to a quarter pixel past its last one's; later runs go straight to lines.
  void RunsToLines();
  bool empty() const { return vertices.empty() && runs.empty(); }
  void clear() {
    vertices.clear();
    ranges.clear();
    runs.clear();
    looks.clear();
    runsOnly = true;
  }

 private:
  void Open(bool lines);
  void Push(const GlVertex& a, const GlVertex& b);
};

// Appends `primitiveCount` primitives of `type` taken from `vertices`. With flat shading every
// pixel of a primitive takes its first vertex's colour. Returns false for an unknown primitive
// type or too few vertices.
bool AppendPrimitives(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
                      bool flatShading, const PixelBounds& bounds, PrimitiveList& out);

// Vertices needed for `primitiveCount` primitives of `type`, or 0 for an unknown type.
std::size_t VertexCountFor(Primitive type, unsigned primitiveCount);

// The pixels a line from a to b covers, as line pieces: runs along its major axis, which is a
// column for a steep line (exposed for tests).
struct LinePiece {
  int x0, y0, x1, y1;  // first and last pixel, inclusive; equal on the minor axis
};
void LinePieces(float ax, float ay, float bx, float by, const PixelBounds& bounds, std::vector<LinePiece>& out);

}  // namespace gl
