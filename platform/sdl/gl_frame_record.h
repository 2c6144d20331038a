// The frame being recorded: the fills and draws since the last present, in order, with the
// vertices of each draw and the generation of every texture a draw samples. The renderer runs
// them when the frame is presented, or earlier when something outside the record needs their
// pixels; a frame equal to the last one it ran, on a target nothing touched since, need not run
// again: the target still holds its picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl_draw_settings.h"
#include "gl_geometry.h"

namespace gl {

// A draw's settings with the generations of the textures it samples, as it was recorded.
// Consecutive draws mostly share them, so the record keeps each once.
struct RecordedSettings {
  DrawSettings settings;
  std::uint64_t generations[MaxStages];
};

// A recorded fill or draw.
struct FrameOp {
  enum class Kind : std::uint8_t { Draw, Fill };
  Kind kind;
  const Target* target;
  // A draw: its primitives, its vertices and its settings in the record.
  Primitive type;
  unsigned primitiveCount;
  std::uint32_t firstVertex, vertexCount, settings;
  // A fill: the rectangle and its ARGB colour.
  PixelBounds rect;
  std::uint32_t argb;
};

class FrameRecord {
 public:
  void AddDraw(const Target* target, Primitive type, const SourceVertex* vertices, std::size_t vertexCount,
               unsigned primitiveCount, const DrawSettings& settings, const std::uint64_t generations[MaxStages]);
  void AddFill(const Target* target, const PixelBounds& rect, std::uint32_t argb);
  const std::vector<FrameOp>& ops() const { return ops_; }
  const SourceVertex* vertices(const FrameOp& op) const { return vertices_.data() + op.firstVertex; }
  const DrawSettings& settings(const FrameOp& op) const { return settings_[op.settings].settings; }
  bool empty() const { return ops_.empty(); }
  std::size_t vertexCount() const { return vertices_.size(); }
  // Whether an op from `from` on samples the texture or draws on the target that holds it.
  bool Uses(GLuint texture, std::size_t from) const;
  // Whether the frame's picture on `target` depends on nothing drawn before it: it first fills
  // the whole target, then draws only there, sampling no texture of the target itself.
  bool StandsAloneOn(const Target& target) const;
  // The same ops with the same vertices and texture generations.
  bool Same(const FrameRecord& other) const;
  void Clear();

 private:
  std::vector<FrameOp> ops_;
  std::vector<SourceVertex> vertices_;
  std::vector<RecordedSettings> settings_;
};

// The frame being recorded and the last one run, kept while it may be presented again.
struct FrameKeeping {
  FrameRecord recording;     // the ops since the last present
  std::size_t executed = 0;  // of them, those run already
  bool broken = false;       // something outside the record saw or changed pictures meanwhile
  FrameRecord kept;          // the last frame run, when it stood alone on keptTarget
  bool keptValid = false;
  const Target* keptTarget = nullptr;
  std::uint64_t keptGeneration = 0;  // keptTarget's, right after the frame ran
  std::uint64_t framesKept = 0;      // presented without being drawn again

  // Forgets both frames (the context is gone).
  void Forget() {
    recording.Clear();
    kept.Clear();
    executed = 0;
    broken = false;
    keptValid = false;
  }
};

// A texture's generation changes whenever its texels may: it is made, uploaded to, drawn,
// filled or copied on, or deleted (and its name may come back).
class TextureGenerations {
 public:
  std::uint64_t Of(GLuint texture) const { return texture < generations_.size() ? generations_[texture] : 0; }
  void Touch(GLuint texture) {
    if (texture >= generations_.size()) generations_.resize(static_cast<std::size_t>(texture) + 1, 0);
    generations_[texture] = ++last_;
  }

 private:
  std::vector<std::uint64_t> generations_;  // by texture name
  std::uint64_t last_ = 0;
};

}  // namespace gl
