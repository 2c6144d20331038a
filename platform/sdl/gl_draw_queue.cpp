#include "gl_draw_queue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gl {

namespace {

// Two boxes side by side become one while it is at most a quarter larger than both: rows of
// text or shapes then keep the overlap list short, for a few overlaps that are not real.
constexpr float BoxMergeSlack = 1.25f;

// The boxes a draw is tested against on its way back to an earlier group of its kind. Bounded,
// so that a long queue costs no more than a new group.
constexpr std::size_t MostBoxesLookedAt = 512;

bool UsesFactor(std::uint8_t arg) { return (arg & 0x0F) == stage::Factor; }

// The texture factor reaches the pixels only through a stage that reads it.
bool ReadsTextureFactor(const ProgramKey& key) {
  for (const StageOps& st : key.stages) {
    if (st.colorOp == 0 || st.colorOp == stage::Disable) break;
    if (UsesFactor(st.colorArg1) || UsesFactor(st.colorArg2) || UsesFactor(st.alphaArg1) || UsesFactor(st.alphaArg2) ||
        st.colorOp == stage::BlendFactorAlpha || st.alphaOp == stage::BlendFactorAlpha) {
      return true;
    }
  }
  return false;
}

bool Overlap(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

bool DrawQueue::Prepare(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
                        const DrawSettings& settings, int targetWidth, int targetHeight) {
  PixelBounds clip = settings.clip;
  clip.left = std::max(clip.left, 0);
  clip.top = std::max(clip.top, 0);
  clip.right = std::min(clip.right, targetWidth);
  clip.bottom = std::min(clip.bottom, targetHeight);
  if (clip.right <= clip.left || clip.bottom <= clip.top) return false;
  std::memset(&preparedShared_, 0, sizeof preparedShared_);
  preparedShared_.blend = settings.blend;
  preparedShared_.sourceFactor = settings.sourceFactor;
  preparedShared_.destinationFactor = settings.destinationFactor;
  preparedShared_.equation = settings.equation;
  preparedShared_.clip = clip;
  preparedSettings_ = settings;
  // Flat shading is done here, on the vertices: it does not keep draws apart.
  prepared_.clear();
  AppendPrimitives(type, vertices, vertexCount, primitiveCount, settings.flatShading != 0, clip, prepared_);
  // The geometry listed every line as a run along a row, clipped to the target. Runs are kept
  // as 16-bit columns (see TableRun).
  preparedRunRects_ = targetWidth < MaxRunColumn && prepared_.runsOnly && !prepared_.runs.empty();
  // Each run grows the table by at most a rectangle's height.
  preparedMostRows_ = prepared_.runs.size() * static_cast<std::size_t>(targetHeight);
  return true;
}

bool DrawQueue::Join() {
  const auto tableHasRoom = [this] { return packer_.tableRows() + preparedMostRows_ <= packer_.tableLimit(); };
  if (!empty() && preparedRunRects_ && !tableHasRoom()) return false;
  const int variant = JoinVariant(preparedSettings_, preparedShared_);
  if (variant < 0) return false;
  // Alone in the queue and still too large for the table: its runs go as lines.
  const bool runRects = preparedRunRects_ && tableHasRoom();
  if (!runRects) prepared_.RunsToLines();
  Enqueue(variant, runRects);
  return true;
}

int DrawQueue::JoinVariant(const DrawSettings& settings, const BlendClip& shared) {
  QueueSettings& q = settings_;
  if (empty()) {
    std::memset(&q, 0, sizeof q);
    q.shared = shared;
  } else if (std::memcmp(&q.shared, &shared, sizeof shared) != 0) {
    return -1;
  }
  for (int i = 0; i < MaxStages; ++i) {
    if (!settings.program.textured[i] || !q.textured[i]) continue;
    if (q.textures[i] != settings.textures[i] ||
        std::memcmp(&q.samplers[i], &settings.samplers[i], sizeof settings.samplers[i]) != 0) {
      return -1;
    }
  }
  Variant v;
  std::memset(&v, 0, sizeof v);
  v.program = settings.program;
  if (v.program.alphaFunc != AlphaAlways) v.alphaRef = settings.alphaRef;
  if (ReadsTextureFactor(v.program)) v.textureFactor = settings.textureFactor;
  int index = 0;
  while (index < q.variantCount && std::memcmp(&q.variants[index], &v, sizeof v) != 0) ++index;
  if (index == q.variantCount) {
    if (q.variantCount == MaxVariants) return -1;
    q.variants[q.variantCount++] = v;
  }
  for (int i = 0; i < MaxStages; ++i) {
    if (!settings.program.textured[i] || q.textured[i]) continue;
    q.textured[i] = 1;
    q.textures[i] = settings.textures[i];
    q.samplers[i] = settings.samplers[i];
  }
  return index;
}

void DrawQueue::Enqueue(int variant, bool runRects) {
  if (prepared_.empty()) return;
  // A draw's vertices are all lines or all triangles.
  const GroupKind kind = runRects                         ? GroupKind::RunRects
                         : prepared_.ranges.front().lines ? GroupKind::Lines
                                                          : GroupKind::Triangles;
  // Every pixel the draw can touch has its centre within a pixel of the vertices' extent.
  Box box = runRects ? RunsBox() : VerticesBox(variant);
  box = Box{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
  // The last group of the draw's kind, if the draw overlaps nothing queued after it.
  std::size_t into = groupCount_;
  std::size_t looked = 0;
  for (std::size_t g = groupCount_; g-- > 0;) {
    if (groups_[g].kind == kind) {
      into = g;
      break;
    }
    looked += groups_[g].boxes.size();
    if (looked > MostBoxesLookedAt || std::any_of(groups_[g].boxes.begin(), groups_[g].boxes.end(),
                                                  [&box](const Box& b) { return Overlap(box, b); })) {
      break;
    }
  }
  if (into == groupCount_) {
    if (groups_.size() == groupCount_) groups_.emplace_back();
    Group& fresh = groups_[groupCount_++];
    fresh.kind = kind;
    fresh.vertices.clear();
    fresh.boxes.clear();
    fresh.variantMask = 0;
  }
  Group& group = groups_[into];
  group.variantMask |= 1u << variant;
  if (kind == GroupKind::RunRects) {
    // A run can cover the one before it on its row only if it replaces its pixels whatever
    // they were.
    const BlendClip& s = settings_.shared;
    const bool replaces =
        (s.blend == 0 || (s.sourceFactor == GL_ONE && s.destinationFactor == GL_ZERO && s.equation == GL_FUNC_ADD)) &&
        settings_.variants[variant].program.alphaFunc == AlphaAlways;
    packer_.Add(into, prepared_.runs, prepared_.looks, variant, replaces);
  } else {
    group.vertices.insert(group.vertices.end(), prepared_.vertices.begin(), prepared_.vertices.end());
  }
  // Draws side by side along a row share one box while it stays small, so that rows of text or
  // shapes do not fill the list.
  if (!group.boxes.empty()) {
    Box& last = group.boxes.back();
    const Box merged{std::min(last.left, box.left), std::min(last.top, box.top), std::max(last.right, box.right),
                     std::max(last.bottom, box.bottom)};
    const float area = (merged.right - merged.left) * (merged.bottom - merged.top);
    const float parts =
        (last.right - last.left) * (last.bottom - last.top) + (box.right - box.left) * (box.bottom - box.top);
    if (area <= parts * BoxMergeSlack) {
      last = merged;
      return;
    }
  }
  group.boxes.push_back(box);
}

Box DrawQueue::VerticesBox(int variant) {
  Box box{prepared_.vertices[0].x, prepared_.vertices[0].y, prepared_.vertices[0].x, prepared_.vertices[0].y};
  bool measured = true;
  for (GlVertex& v : prepared_.vertices) {
    v.variant = variant;
    box.left = std::min(box.left, v.x);
    box.top = std::min(box.top, v.y);
    box.right = std::max(box.right, v.x);
    box.bottom = std::max(box.bottom, v.y);
    measured = measured && !std::isnan(v.x) && !std::isnan(v.y);
  }
  // A position that is not a number has no extent: the draw may touch anything.
  const float far = std::numeric_limits<float>::infinity();
  return measured ? box : Box{-far, -far, far, far};
}

Box DrawQueue::RunsBox() const {
  // The centres of the runs' first and last pixels.
  const PixelBounds& e = prepared_.runsExtent;
  return Box{static_cast<float>(e.left), static_cast<float>(e.top), static_cast<float>(e.right - 1),
             static_cast<float>(e.bottom - 1)};
}

bool DrawQueue::Samples(GLuint texture) const {
  if (empty()) return false;
  for (int i = 0; i < MaxStages; ++i) {
    if (settings_.textured[i] && settings_.textures[i] == texture) return true;
  }
  return false;
}

void DrawQueue::Seal() {
  if (packer_.empty()) return;
  packer_.Pack();
  // A group of run rectangles holds nothing but its rectangles, in order. Corners on pixel
  // edges, half a pixel from every centre, so that any rasteriser covers exactly the
  // rectangle's pixels.
  for (std::size_t g = 0; g < groupCount_; ++g) {
    if (groups_[g].kind == GroupKind::RunRects) groups_[g].vertices.clear();
  }
  for (const RunRect& r : packer_.rects()) {
    std::vector<GlVertex>& vertices = groups_[r.group].vertices;
    vertices.insert(vertices.end(), 6, packer_.looks()[r.look]);
    GlVertex* v = &vertices[vertices.size() - 6];
    const float l = static_cast<float>(r.left) - 0.5f, rt = static_cast<float>(r.right) - 0.5f;
    const float t = static_cast<float>(r.top) - 0.5f, b = static_cast<float>(r.bottom) + 0.5f;
    const float xs[6] = {l, rt, l, rt, rt, l}, ys[6] = {t, t, b, t, b, b};
    const std::int32_t index = static_cast<std::int32_t>(r.tableRow) - r.top;
    for (int k = 0; k < 6; ++k) {
      v[k].x = xs[k];
      v[k].y = ys[k];
      v[k].tableOffset = index;
    }
  }
}

void DrawQueue::Clear() {
  groupCount_ = 0;
  packer_.Clear();
}

}  // namespace gl
