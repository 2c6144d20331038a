// The draws waiting to go to OpenGL together, with no OpenGL in sight: recorded draws come in
// one by one, as primitives with their settings; what comes out is what one send needs (the
// settings the queued draws share, their groups of vertices, the row table of their run
// rectangles). Which draws may share a send, and which a group, is decided here; the renderer
// sends what it is given. See gl_renderer.h for the words.
//
// The rule it keeps: every pixel comes out as if each draw had been sent alone, in order. A
// draw joins the queue only when it shares the blend, the clip and every texture it samples with
// the draws queued, and the queue has room for its stage settings; it joins an earlier group only
// past groups it does not overlap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl_draw_settings.h"
#include "gl_geometry.h"
#include "gl_programs.h"
#include "gl_run_packer.h"
#include "gl_state_cache.h"

namespace gl {

// The stage settings one variant of the queued draws carries.
struct Variant {
  ProgramKey program;
  std::uint32_t alphaRef, textureFactor;  // 0 where the program does not read them
};

// What every queued draw shares, and the variants among them.
struct QueueSettings {
  BlendClip shared;
  Variant variants[MaxVariants];
  int variantCount;
  std::uint8_t textured[MaxStages];
  GLuint textures[MaxStages];
  SamplerState samplers[MaxStages];
};

// A rectangle in the target's pixel coordinates holding everything a draw may touch.
struct Box {
  float left, top, right, bottom;
};

enum class GroupKind { Lines, Triangles, RunRects };

// Consecutive queued draws of one kind, sent as one OpenGL draw.
struct Group {
  GroupKind kind;
  std::vector<GlVertex> vertices;  // of run rectangles: made by Seal
  std::vector<Box> boxes;          // where its draws may touch, neighbours merged
  unsigned variantMask;            // bit v: a draw of variant v is in the group
};

class DrawQueue {
 public:
  // The most rows the row table may hold (the driver's limit on a buffer texture).
  void SetTableLimit(std::size_t rows) { packer_.SetTableLimit(rows); }

  // Turns a draw on a target of the given size into what the queue keeps, ready for Join.
  // False when it can draw nothing: its clip misses the target.
  bool Prepare(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
               const DrawSettings& settings, int targetWidth, int targetHeight);
  // Queues the prepared draw. False, with nothing queued, when it cannot go with the draws
  // queued already: they are sent and cleared first, and then it always joins.
  bool Join();

  bool empty() const { return groupCount_ == 0; }
  // True when a queued draw samples the texture.
  bool Samples(GLuint texture) const;

  // Packs the run rectangles and gives them their vertices: groups() and table() then hold what
  // is to be sent, until Clear.
  void Seal();
  const QueueSettings& settings() const { return settings_; }
  std::size_t groupCount() const { return groupCount_; }
  const Group& group(std::size_t g) const { return groups_[g]; }
  const std::vector<TableRow>& table() const { return packer_.table(); }

  // Forgets the queued draws; storage is kept for the next.
  void Clear();

 private:
  // The variant `settings` draws with, added when there is room and the textures it samples
  // are bound as the queued draws have them; -1 when it cannot join them.
  int JoinVariant(const DrawSettings& settings, const BlendClip& shared);
  // The extent of the prepared vertices, each given the variant on the way; of its runs.
  Box VerticesBox(int variant);
  Box RunsBox() const;
  void Enqueue(int variant, bool runRects);

  // The prepared draw.
  PrimitiveList prepared_;
  DrawSettings preparedSettings_{};
  BlendClip preparedShared_{};
  bool preparedRunRects_ = false;
  std::size_t preparedMostRows_ = 0;  // the table rows its runs may need

  QueueSettings settings_{};
  std::vector<Group> groups_;  // the first groupCount_ are queued; the rest keep their storage
  std::size_t groupCount_ = 0;
  RunPacker packer_;  // the runs of the queued run-rectangle groups
};

}  // namespace gl
