#include "gl_renderer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

#include "gl_driver_pin.h"
#include "sdl_video.h"
#include "x11_window_loss.h"

namespace gl {

namespace {

std::atomic<std::uint64_t> totalDrawCalls{0};
std::atomic<std::uint64_t> totalFramesKept{0};
std::atomic<bool> keepUnchangedFrames{true};

GLint Filter(std::uint8_t d3dFilter) { return d3dFilter >= 2 ? GL_LINEAR : GL_NEAREST; }

GLint Address(std::uint8_t mode) {
  switch (mode) {
    case 1:
      return GL_REPEAT;
    case 2:
    case 5:
      return GL_MIRRORED_REPEAT;
    case 4:
      return GL_CLAMP_TO_BORDER;
    default:
      return GL_CLAMP_TO_EDGE;
  }
}

// The row table is 16 bytes a row: 64 MB at most, whatever larger buffer textures the driver
// offers; a queue that would need more is sent first.
constexpr int MostTableRows = 1 << 22;

// A frame of more vertices than this (9 MB of them) runs before it is presented and is not
// kept: the game's frames have a few thousand.
constexpr std::size_t MostRecordedVertices = 1 << 18;

bool Empty(const PixelBounds& r) { return r.right <= r.left || r.bottom <= r.top; }

// Storage for BGRA texels. A picture that is only drawn on, copied and read (a render target
// that is no texture) is kept in BGRA: the base format with the data's layout lets the driver
// choose it (a sized RGBA8 makes Mesa choose RGBA), and then it reaches the window, itself BGRA,
// as a plain copy, where Mesa's software rasteriser otherwise shades every pixel of the copy
// (1.4 ms of CPU for 800 × 600). A texture that programs sample keeps RGBA8: the same
// rasteriser's fast path for textured rectangles swaps red and blue when sampling BGRA.
void AllocateTexels(int width, int height, bool sampled) {
  glTexImage2D(GL_TEXTURE_2D, 0, sampled ? GL_RGBA8 : GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
}

}  // namespace

std::uint64_t TotalDrawCalls() { return totalDrawCalls; }
std::uint64_t TotalFramesKept() { return totalFramesKept; }
void KeepUnchangedFrames(bool keep) { keepUnchangedFrames = keep; }

Renderer::~Renderer() { Stop(); }

bool Renderer::Start(SDL_Window* window, std::string* error) {
  Stop();
  if (window == nullptr || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
    *error = "the window cannot take OpenGL";
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  context_ = SDL_GL_CreateContext(window);
  if (context_ == nullptr) {
    *error = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
    return false;
  }
  window_ = window;
  if (SDL_GL_MakeCurrent(window, context_) != 0 || epoxy_gl_version() < 33) {
    *error = "OpenGL older than 3.3";
    Stop();
    return false;
  }
  KeepDriverForLeakCheck();
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  GLint tableTexels = 0;
  glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &tableTexels);
  queue_.SetTableLimit(static_cast<std::size_t>(std::clamp(tableTexels, 0, MostTableRows)));
  glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  glGenBuffers(1, &vertexBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(GlVertex),
                        reinterpret_cast<void*>(offsetof(GlVertex, diffuse)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, u0)));
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glEnable(GL_SCISSOR_TEST);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  state_.Forget();
  pacing_.Reset();
  return true;
}

void Renderer::Stop() {
  if (context_ == nullptr) return;
  // When the window went first, SDL unbound the context with it: its objects go with the
  // context, and no OpenGL call may be made without one.
  if (Current()) {
    queue_.Clear();
    programs_.Clear();
    for (const SamplerEntry& e : samplers_) glDeleteSamplers(1, &e.sampler);
    if (scratchFramebuffer_ != 0) glDeleteFramebuffers(1, &scratchFramebuffer_);
    if (tableTexture_ != 0) glDeleteTextures(1, &tableTexture_);
    if (tableBuffer_ != 0) glDeleteBuffers(1, &tableBuffer_);
    if (vertexBuffer_ != 0) glDeleteBuffers(1, &vertexBuffer_);
    if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
    SDL_GL_MakeCurrent(window_, nullptr);
  }
  queue_.Clear();
  frames_.Forget();
  programs_.Forget();
  samplers_.clear();
  scratchFramebuffer_ = vertexBuffer_ = vertexArray_ = 0;
  vertexBufferBytes_ = 0;
  tableTexture_ = tableBuffer_ = 0;
  tableBufferBytes_ = 0;
  SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  window_ = nullptr;
  target_ = nullptr;
}

bool Renderer::Current() const { return context_ != nullptr && SDL_GL_GetCurrentContext() == context_; }

bool Renderer::CreateTarget(int width, int height, bool sampled, Target* target) {
  if (!Current() || width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_) {
    return false;
  }
  BreakFrame();
  FlushQueue();
  Target t;
  t.width = width;
  t.height = height;
  glGenTextures(1, &t.texture);
  glBindTexture(GL_TEXTURE_2D, t.texture);
  AllocateTexels(width, height, sampled);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glGenFramebuffers(1, &t.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
  }
  state_.Forget();
  BindTargetFramebuffer();
  if (!complete) {
    DestroyTarget(t);
    return false;
  }
  generations_.Touch(t.texture);
  *target = t;
  return true;
}

void Renderer::DestroyTarget(Target& t) {
  if (Current()) {
    BreakFrame();
    if (target_ == &t) {
      FlushQueue();
      target_ = nullptr;
    }
    generations_.Touch(t.texture);
    if (t.framebuffer != 0) glDeleteFramebuffers(1, &t.framebuffer);
    if (t.texture != 0) glDeleteTextures(1, &t.texture);
  }
  t = Target{};
}

void Renderer::SetTarget(const Target* target) {
  if (target == target_) return;
  BreakFrame();
  FlushQueue();
  target_ = target;
  BindTargetFramebuffer();
}

void Renderer::BindTargetFramebuffer() {
  glBindFramebuffer(GL_FRAMEBUFFER, target_ != nullptr ? target_->framebuffer : 0);
  if (target_ != nullptr) glViewport(0, 0, target_->width, target_->height);
}

GLuint Renderer::CreateTexture(int width, int height) {
  if (!Current() || width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_) {
    return 0;
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  AllocateTexels(width, height, true);
  state_.Forget();
  generations_.Touch(texture);
  return texture;
}

void Renderer::UploadTexture(GLuint texture, int x, int y, int width, int height, const void* bgra, int pitch) {
  if (!Current() || texture == 0) return;
  FlushUsersOf(texture);  // they still read the old texels
  generations_.Touch(texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  state_.Forget();
}

void Renderer::DestroyTexture(GLuint texture) {
  if (!Current() || texture == 0) return;
  FlushUsersOf(texture);
  generations_.Touch(texture);
  glDeleteTextures(1, &texture);
  state_.Forget();
}

void Renderer::ReadTexture(GLuint texture, int width, int height, const PixelBounds& rect, void* bgra, int pitch) {
  if (!Current() || texture == 0 || Empty(rect) || rect.right > width || rect.bottom > height) return;
  BreakFrame();
  FlushQueue();
  if (scratchFramebuffer_ == 0) glGenFramebuffers(1, &scratchFramebuffer_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, scratchFramebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glPixelStorei(GL_PACK_ROW_LENGTH, pitch / 4);
  glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  BindTargetFramebuffer();
}

bool Renderer::Draw(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
                    const DrawSettings& settings) {
  const std::size_t needed = VertexCountFor(type, primitiveCount);
  if (needed == 0 || needed > vertexCount) return false;
  if (!Current() || target_ == nullptr) return true;
  std::uint64_t sampled[MaxStages] = {};
  for (int i = 0; i < MaxStages; ++i) {
    if (settings.program.textured[i]) sampled[i] = generations_.Of(settings.textures[i]);
  }
  frames_.recording.AddDraw(target_, type, vertices, needed, primitiveCount, settings, sampled);
  // A frame that never ends (a program that draws without presenting) runs as it goes.
  if (frames_.recording.vertexCount() > MostRecordedVertices) BreakFrame();
  return true;
}

void Renderer::QueueDraw(const FrameOp& op) {
  if (target_ == nullptr || op.target != target_) return;
  generations_.Touch(target_->texture);
  if (!queue_.Prepare(op.type, frames_.recording.vertices(op), op.vertexCount, op.primitiveCount,
                      frames_.recording.settings(op), target_->width, target_->height)) {
    return;
  }
  if (queue_.Join()) return;
  FlushQueue();
  queue_.Join();
}

void Renderer::SendRowTable(const std::vector<TableRow>& table) {
  if (table.empty()) return;
  if (tableBuffer_ == 0) {
    glGenBuffers(1, &tableBuffer_);
    glGenTextures(1, &tableTexture_);
  }
  glBindBuffer(GL_TEXTURE_BUFFER, tableBuffer_);
  const std::size_t bytes = table.size() * sizeof(TableRow);
  if (bytes > tableBufferBytes_) {
    tableBufferBytes_ = std::max(bytes, 2 * tableBufferBytes_);
    glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(tableBufferBytes_), nullptr, GL_STREAM_DRAW);
    glActiveTexture(GL_TEXTURE0 + RowTableUnit);
    glBindTexture(GL_TEXTURE_BUFFER, tableTexture_);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32I, tableBuffer_);
    glActiveTexture(GL_TEXTURE0);
  }
  glBufferSubData(GL_TEXTURE_BUFFER, 0, static_cast<GLsizeiptr>(bytes), table.data());
}

GLuint Renderer::Sampler(const SamplerState& s) {
  for (const SamplerEntry& e : samplers_) {
    if (std::memcmp(&e.state, &s, sizeof s) == 0) return e.sampler;
  }
  GLuint sampler = 0;
  glGenSamplers(1, &sampler);
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, Filter(s.minFilter));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, Filter(s.magFilter));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, Address(s.addressU));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, Address(s.addressV));
  samplers_.push_back(SamplerEntry{s, sampler});
  return sampler;
}

bool Renderer::UseProgram(const QueueSettings& p, unsigned variantMask, bool runRects) {
  // A group drawn with one variant alone gets that variant's own program: the software
  // rasteriser runs every variant's statements for every pixel of a program that has several.
  int only = -1;
  for (int v = 0; v < p.variantCount; ++v) {
    if (variantMask == (1u << v)) only = v;
  }
  ProgramKeys keys;
  std::memset(&keys, 0, sizeof keys);
  const int first = only >= 0 ? only : 0;
  keys.count = only >= 0 ? 1 : p.variantCount;
  for (int v = 0; v < keys.count; ++v) keys.keys[v] = p.variants[first + v].program;
  const Program* program = programs_.Get(keys, runRects);
  if (program == nullptr) return false;
  // Getting a program made for the first time leaves it in use.
  if (program != state_.program) glUseProgram(program->id);
  state_.program = program;
  glUniform2f(program->targetSize, static_cast<float>(target_->width), static_cast<float>(target_->height));
  GLfloat factors[MaxVariants][4];
  GLint refs[MaxVariants];
  for (int v = 0; v < keys.count; ++v) {
    const std::uint32_t f = p.variants[first + v].textureFactor;
    factors[v][0] = ((f >> 16) & 0xFF) / 255.0f;
    factors[v][1] = ((f >> 8) & 0xFF) / 255.0f;
    factors[v][2] = (f & 0xFF) / 255.0f;
    factors[v][3] = (f >> 24) / 255.0f;
    refs[v] = static_cast<GLint>(p.variants[first + v].alphaRef);
  }
  glUniform4fv(program->textureFactor, keys.count, &factors[0][0]);
  glUniform1iv(program->alphaRef, keys.count, refs);
  return true;
}

void Renderer::Apply(const QueueSettings& p) {
  const bool all = !state_.valid;
  if (all) state_.program = nullptr;
  const BlendClip& a = state_.blendClip;
  const BlendClip& s = p.shared;
  if (all || a.blend != s.blend) {
    if (s.blend) {
      glEnable(GL_BLEND);
    } else {
      glDisable(GL_BLEND);
    }
  }
  if (all || a.sourceFactor != s.sourceFactor || a.destinationFactor != s.destinationFactor) {
    glBlendFunc(s.sourceFactor, s.destinationFactor);
  }
  if (all || a.equation != s.equation) glBlendEquation(s.equation);
  for (int i = 0; i < MaxStages; ++i) {
    if (!p.textured[i]) continue;
    const GLuint sampler = Sampler(p.samplers[i]);
    if (!all && state_.textures[i] == p.textures[i] && state_.samplers[i] == sampler) continue;
    glActiveTexture(GL_TEXTURE0 + i);
    glBindTexture(GL_TEXTURE_2D, p.textures[i]);
    glBindSampler(i, sampler);
    state_.textures[i] = p.textures[i];
    state_.samplers[i] = sampler;
  }
  glActiveTexture(GL_TEXTURE0);
  if (all || std::memcmp(&a.clip, &s.clip, sizeof s.clip) != 0) {
    glScissor(s.clip.left, s.clip.top, s.clip.right - s.clip.left, s.clip.bottom - s.clip.top);
  }
  state_.blendClip = s;
  state_.valid = true;
}

void Renderer::Flush() {
  RunRecorded();
  FlushQueue();
}

void Renderer::RunRecorded() {
  const std::vector<FrameOp>& ops = frames_.recording.ops();
  // Without the context, what they would have drawn on is gone.
  if (!Current()) frames_.executed = ops.size();
  for (; frames_.executed < ops.size(); ++frames_.executed) {
    const FrameOp& op = ops[frames_.executed];
    if (op.kind == FrameOp::Kind::Draw) {
      QueueDraw(op);
    } else {
      ExecuteFill(op);
    }
  }
}

void Renderer::BreakFrame() {
  RunRecorded();
  // A frame with nothing recorded yet is recorded whole after this. A broken one is never
  // compared, so what of it ran need not be kept.
  if (!frames_.recording.empty()) frames_.broken = true;
  frames_.recording.Clear();
  frames_.executed = 0;
  frames_.keptValid = false;
}

void Renderer::FlushUsersOf(GLuint texture) {
  if (frames_.recording.Uses(texture, frames_.executed)) RunRecorded();
  if ((target_ != nullptr && target_->texture == texture) || queue_.Samples(texture)) FlushQueue();
}

void Renderer::FlushQueue() {
  if (queue_.empty() || !Current() || target_ == nullptr) {
    queue_.Clear();
    return;
  }
  queue_.Seal();
  Apply(queue_.settings());
  SendRowTable(queue_.table());
  upload_.clear();
  for (std::size_t g = 0; g < queue_.groupCount(); ++g) {
    const std::vector<GlVertex>& vertices = queue_.group(g).vertices;
    upload_.insert(upload_.end(), vertices.begin(), vertices.end());
  }
  // One store, grown when a queue does not fit: a fresh store per send costs the driver an
  // allocation (and its pages) every time.
  const std::size_t bytes = upload_.size() * sizeof(GlVertex);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  if (vertexBufferBytes_ == 0) {
    // The variant each vertex names, an integer (the vertex array made with the context has
    // the other attributes).
    glEnableVertexAttribArray(3);
    glVertexAttribIPointer(3, 1, GL_INT, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, variant)));
    glEnableVertexAttribArray(4);
    glVertexAttribIPointer(4, 1, GL_INT, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, tableOffset)));
  }
  if (bytes > vertexBufferBytes_) {
    vertexBufferBytes_ = std::max(bytes, 2 * vertexBufferBytes_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBufferBytes_), nullptr, GL_STREAM_DRAW);
  }
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), upload_.data());
  std::size_t first = 0;
  for (std::size_t g = 0; g < queue_.groupCount(); ++g) {
    const Group& group = queue_.group(g);
    const std::size_t count = group.vertices.size();
    // A group whose program failed is not drawn, rather than drawn with the one bound before.
    if (UseProgram(queue_.settings(), group.variantMask, group.kind == GroupKind::RunRects)) {
      glDrawArrays(group.kind == GroupKind::Lines ? GL_LINES : GL_TRIANGLES, static_cast<GLint>(first),
                   static_cast<GLsizei>(count));
      ++drawCalls_;
      ++totalDrawCalls;
    }
    first += count;
  }
  queue_.Clear();
}

void Renderer::Fill(const Target& target, const PixelBounds& rect, std::uint32_t argb) {
  if (!Current()) return;
  frames_.recording.AddFill(&target, rect, argb);
}

void Renderer::ExecuteFill(const FrameOp& op) {
  const Target& target = *op.target;
  const PixelBounds& rect = op.rect;
  const std::uint32_t argb = op.argb;
  FlushQueue();
  PixelBounds r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, target.width),
                std::min(rect.bottom, target.height)};
  if (Empty(r)) return;
  generations_.Touch(target.texture);
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glScissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
  glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
               (argb >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  state_.Forget();  // the scissor box moved
  BindTargetFramebuffer();
}

void Renderer::Copy(const Target& source, const PixelBounds& from, const Target& destination, const PixelBounds& to,
                    bool linear) {
  if (!Current() || Empty(from) || Empty(to)) return;
  BreakFrame();
  FlushQueue();
  generations_.Touch(destination.texture);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source.framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination.framebuffer);
  glDisable(GL_SCISSOR_TEST);
  glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, to.top, to.right, to.bottom,
                    GL_COLOR_BUFFER_BIT, linear ? GL_LINEAR : GL_NEAREST);
  glEnable(GL_SCISSOR_TEST);
  BindTargetFramebuffer();
}

void Renderer::Read(const Target& target, const PixelBounds& rect, void* bgra, int pitch) {
  if (!Current() || Empty(rect)) return;
  BreakFrame();
  FlushQueue();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
  glPixelStorei(GL_PACK_ROW_LENGTH, pitch / 4);
  glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  BindTargetFramebuffer();
}

void Renderer::Present(const Target& target, const PixelBounds* from, const PixelBounds* to, bool waitForRefresh) {
  if (!Current()) return;
  // A frame that stands alone on the target and equals the last one run there, on a target
  // nothing touched since, would draw the picture the target already holds.
  const bool standsAlone = keepUnchangedFrames && !frames_.broken && frames_.recording.StandsAloneOn(target);
  if (standsAlone && frames_.keptValid && frames_.keptTarget == &target &&
      generations_.Of(target.texture) == frames_.keptGeneration && frames_.recording.Same(frames_.kept)) {
    ++frames_.framesKept;
    ++totalFramesKept;
  } else {
    RunRecorded();
    FlushQueue();
    frames_.keptValid = standsAlone;
    if (standsAlone) {
      std::swap(frames_.kept, frames_.recording);
      frames_.keptTarget = &target;
      frames_.keptGeneration = generations_.Of(target.texture);
    }
  }
  frames_.recording.Clear();
  frames_.executed = 0;
  frames_.broken = false;
  // A window destroyed from outside has no size: Mesa's software path, refused it, would draw and
  // swap at whatever size its stack held. The picture stays on the target until the game closes.
  if (x11::Lost(window_)) {
    pacing_.Skip(waitForRefresh);
    return;
  }
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
  const PixelBounds source = from != nullptr ? *from : PixelBounds{0, 0, target.width, target.height};
  PixelBounds shown = to != nullptr ? *to : PixelBounds{0, 0, drawableWidth, drawableHeight};
  // A window whose client area differs from the drawable (full-screen at the desktop's mode, a
  // window the player resized) shows its picture scaled onto it, with sharp pixels.
  PictureFit fit;
  const bool fitted = PictureFitOf(window_, drawableWidth, drawableHeight, &fit) && !fit.Identity();
  if (fitted) {
    const RECT area = to != nullptr ? RECT{to->left, to->top, to->right, to->bottom}
                                    : RECT{0, 0, fit.pictureWidth, fit.pictureHeight};
    const RECT placed = PictureToOutput(fit, area);
    shown = PixelBounds{placed.left, placed.top, placed.right, placed.bottom};
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
  glDisable(GL_SCISSOR_TEST);
  // What the picture does not cover would otherwise show whatever the last swap left.
  // Only the bars around it are cleared: on a software rasteriser a clear of a whole
  // full-screen window costs as much as the picture itself.
  if (shown.left > 0 || shown.top > 0 || shown.right < drawableWidth || shown.bottom < drawableHeight) {
    glClearColor(0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    const int left = std::clamp(shown.left, 0, drawableWidth), right = std::clamp(shown.right, 0, drawableWidth);
    const int top = std::clamp(shown.top, 0, drawableHeight), bottom = std::clamp(shown.bottom, 0, drawableHeight);
    // Window rows count from the bottom: the bars above and below, then left and right.
    const PixelBounds bars[] = {{0, 0, drawableWidth, top},
                                {0, bottom, drawableWidth, drawableHeight},
                                {0, top, left, bottom},
                                {right, top, drawableWidth, bottom}};
    for (const PixelBounds& bar : bars) {
      if (bar.right <= bar.left || bar.bottom <= bar.top) continue;
      glScissor(bar.left, drawableHeight - bar.bottom, bar.right - bar.left, bar.bottom - bar.top);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
  }
  const bool scaled =
      source.right - source.left != shown.right - shown.left || source.bottom - source.top != shown.bottom - shown.top;
  // Upright on the window: its row 0 is at the bottom.
  glBlitFramebuffer(source.left, source.top, source.right, source.bottom, shown.left, drawableHeight - shown.top,
                    shown.right, drawableHeight - shown.bottom, GL_COLOR_BUFFER_BIT,
                    scaled && !fitted ? GL_LINEAR : GL_NEAREST);
  glEnable(GL_SCISSOR_TEST);
  pacing_.Swap(window_, waitForRefresh);
  BindTargetFramebuffer();
  state_.Forget();
  pacing_.Wait(window_, waitForRefresh);
}

}  // namespace gl
