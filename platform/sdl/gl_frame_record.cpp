#include "gl_frame_record.h"

#include <cstring>

namespace gl {

namespace {

bool Samples(const DrawSettings& settings, GLuint texture) {
  for (int i = 0; i < MaxStages; ++i) {
    if (settings.program.textured[i] && settings.textures[i] == texture) return true;
  }
  return false;
}

bool SameBounds(const PixelBounds& a, const PixelBounds& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameOp(const FrameOp& a, const FrameOp& b) {
  if (a.kind != b.kind || a.target != b.target) return false;
  if (a.kind == FrameOp::Kind::Fill) return a.argb == b.argb && SameBounds(a.rect, b.rect);
  return a.type == b.type && a.primitiveCount == b.primitiveCount && a.vertexCount == b.vertexCount &&
         a.settings == b.settings;
}

}  // namespace

void FrameRecord::AddDraw(const Target* target, Primitive type, const SourceVertex* vertices, std::size_t vertexCount,
                          unsigned primitiveCount, const DrawSettings& settings,
                          const std::uint64_t generations[MaxStages]) {
  FrameOp op;
  std::memset(&op, 0, sizeof op);
  op.kind = FrameOp::Kind::Draw;
  op.target = target;
  op.type = type;
  op.primitiveCount = primitiveCount;
  op.firstVertex = static_cast<std::uint32_t>(vertices_.size());
  op.vertexCount = static_cast<std::uint32_t>(vertexCount);
  if (settings_.empty() || !(settings_.back().settings == settings) ||
      std::memcmp(settings_.back().generations, generations, sizeof settings_.back().generations) != 0) {
    RecordedSettings entry;
    entry.settings = settings;
    std::memcpy(entry.generations, generations, sizeof entry.generations);
    settings_.push_back(entry);
  }
  op.settings = static_cast<std::uint32_t>(settings_.size() - 1);
  vertices_.insert(vertices_.end(), vertices, vertices + vertexCount);
  ops_.push_back(op);
}

void FrameRecord::AddFill(const Target* target, const PixelBounds& rect, std::uint32_t argb) {
  FrameOp op;
  std::memset(&op, 0, sizeof op);
  op.kind = FrameOp::Kind::Fill;
  op.target = target;
  op.rect = rect;
  op.argb = argb;
  ops_.push_back(op);
}

bool FrameRecord::Uses(GLuint texture, std::size_t from) const {
  for (std::size_t i = from; i < ops_.size(); ++i) {
    const FrameOp& op = ops_[i];
    if (op.target->texture == texture || (op.kind == FrameOp::Kind::Draw && Samples(settings(op), texture)))
      return true;
  }
  return false;
}

bool FrameRecord::StandsAloneOn(const Target& target) const {
  if (ops_.empty()) return false;
  const FrameOp& first = ops_.front();
  if (first.kind != FrameOp::Kind::Fill || first.target != &target ||
      !SameBounds(first.rect, PixelBounds{0, 0, target.width, target.height})) {
    return false;
  }
  for (const FrameOp& op : ops_) {
    if (op.target != &target || (op.kind == FrameOp::Kind::Draw && Samples(settings(op), target.texture))) return false;
  }
  return true;
}

bool FrameRecord::Same(const FrameRecord& other) const {
  if (ops_.size() != other.ops_.size() || vertices_.size() != other.vertices_.size() ||
      settings_.size() != other.settings_.size()) {
    return false;
  }
  for (std::size_t i = 0; i < ops_.size(); ++i) {
    if (!SameOp(ops_[i], other.ops_[i])) return false;
  }
  for (std::size_t i = 0; i < settings_.size(); ++i) {
    const RecordedSettings &a = settings_[i], &b = other.settings_[i];
    if (!(a.settings == b.settings) || std::memcmp(a.generations, b.generations, sizeof a.generations) != 0)
      return false;
  }
  return vertices_.empty() ||
         std::memcmp(vertices_.data(), other.vertices_.data(), vertices_.size() * sizeof(SourceVertex)) == 0;
}

void FrameRecord::Clear() {
  ops_.clear();
  vertices_.clear();
  settings_.clear();
}

}  // namespace gl
