// The OpenGL 3.3 core drawing engine behind the Direct3D 9 device: a context on the SDL window,
// render targets as framebuffer objects, pre-transformed primitives drawn with Direct3D's
// pixel rules, fills, copies, read-back and paced presentation.
//
// Words used in the device's files:
//   run            the pixels left..right - 1 of one row, all drawn with one look (gl::Run). Lines
//                  along rows and the rows of a filled disc arrive as runs.
//   line piece     the pixels a line covers along its major axis, a row or a column
//                  (gl::LinePiece); one along a row with one look becomes a run, any other an
//                  OpenGL line through the piece's pixel centres.
//   look           everything a run's pixels share: colour, depth, texture coordinates and the
//                  variant (a GlVertex whose position is unused).
//   variant        one of the queued draws' sets of stage settings (program, alpha reference,
//                  texture factor); one program can carry up to MaxVariants of them, each vertex
//                  naming its own, so that draws differing only there still go out as one.
//   primitive list one draw's primitives as OpenGL draws them: vertices of lines and triangles,
//                  or runs while the draw is nothing else (gl::PrimitiveList).
//   queue          the draws waiting to go to OpenGL together: they share the blend, the clip
//                  and the textures bound (gl::QueueSettings), and are kept as groups
//                  (gl::DrawQueue, gl_draw_queue.h).
//   group          consecutive queued draws of one kind: lines, triangles or run rectangles.
//                  A draw joins the last group of its kind when it overlaps nothing queued after
//                  that group: pixels it does not share with those come out the same either way.
//   run rectangle  a rectangle drawn with one look that draws, on each of its rows, only the
//                  pixels of its run there, which the row table gives the program; Mesa's
//                  software rasteriser pays a set-up cost per primitive, and a disc arrives as
//                  one line per row, so a disc drawn as one rectangle costs far less.
//   upper run      a run kept above the run of a rectangle's row, for a draw that replaces the
//                  pixels it covers (no blending, no alpha test) and differs from it in colour
//                  alone; the table holds its colour, and a ball (a disc with a smaller one on
//                  it) costs one rectangle and one fragment a pixel.
//   row table      per row of each queued run rectangle: its run, its upper run and that run's
//                  colour (gl::TableRow), sent as a buffer texture.
//   packing        putting runs into run rectangles so that each pixel is still drawn once and
//                  in the same order (gl_run_packer.h).
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gl_draw_queue.h"
#include "gl_draw_settings.h"
#include "gl_frame_record.h"
#include "gl_geometry.h"
#include "gl_present_pacing.h"
#include "gl_programs.h"
#include "gl_state_cache.h"

namespace gl {

// OpenGL draws issued by every renderer of the process (for benchmarks and tests).
std::uint64_t TotalDrawCalls();
// Frames every renderer of the process presented without drawing them again, and whether they
// may (on unless a benchmark or test turns it off to measure or see the drawn frame).
std::uint64_t TotalFramesKept();
void KeepUnchangedFrames(bool keep);

class Renderer {
 public:
  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;
  ~Renderer();

  // Makes an OpenGL 3.3 core context on the window. False, with the reason, when the window was
  // not made for OpenGL or the driver offers too old a version.
  bool Start(SDL_Window* window, std::string* error);
  // Deletes everything made on the context and the context itself.
  void Stop();
  bool started() const { return context_ != nullptr; }

  int maxTextureSize() const { return maxTextureSize_; }
  // OpenGL draws issued since the start (each flush of merged primitives counts one).
  std::uint64_t drawCalls() const { return drawCalls_; }
  // Frames presented without being drawn again: the target held their picture already.
  std::uint64_t framesKept() const { return frames_.framesKept; }
  // Programs built, or tried and failed, since the start.
  std::size_t programsBuilt() const { return programs_.built(); }

  // A target that programs will sample (a texture's) or one only drawn on, copied and read.
  bool CreateTarget(int width, int height, bool sampled, Target* target);
  void DestroyTarget(Target& target);
  void SetTarget(const Target* target);

  // Textures: 32-bit BGRA texels, rows top first.
  GLuint CreateTexture(int width, int height);
  void UploadTexture(GLuint texture, int x, int y, int width, int height, const void* bgra, int pitch);
  void DestroyTexture(GLuint texture);
  // Reads a rectangle of a texture's texels as BGRA rows, top first.
  void ReadTexture(GLuint texture, int width, int height, const PixelBounds& rect, void* bgra, int pitch);

  // Records a primitive on the current target; false for an unknown type or too few vertices.
  // Recorded fills and draws run when the frame is presented, or as soon as something else
  // (a read, a copy, another target, an upload of a texture they use) needs their pixels.
  bool Draw(Primitive type, const SourceVertex* vertices, std::size_t vertexCount, unsigned primitiveCount,
            const DrawSettings& settings);
  // Runs what is recorded and sends what is queued.
  void Flush();

  // Records a fill of a rectangle of a target with an ARGB colour, ignoring every draw setting.
  void Fill(const Target& target, const PixelBounds& rect, std::uint32_t argb);
  // Copies a rectangle between targets, scaled when the sizes differ.
  void Copy(const Target& source, const PixelBounds& from, const Target& destination, const PixelBounds& to,
            bool linear);
  // Reads a rectangle as BGRA rows, top first.
  void Read(const Target& target, const PixelBounds& rect, void* bgra, int pitch);
  // Shows `from` of the target in `to` of the window (null: the whole of each). With
  // waitForRefresh, one picture per display refresh: the driver's swap interval when it keeps
  // it, else a wait for the next refresh tick here. A frame equal to the last one presented, on a
  // target nothing else touched since, is not drawn again.
  void Present(const Target& target, const PixelBounds* from, const PixelBounds* to, bool waitForRefresh);

 private:
  // The context is current: it was made and its window still exists.
  bool Current() const;
  // Runs the recorded ops not run yet.
  void RunRecorded();
  // Runs them, and keeps the frame from being kept: something outside the record saw or
  // changed the pictures.
  void BreakFrame();
  // Runs the recorded ops and sends the queue if they draw with the texture or on it.
  void FlushUsersOf(GLuint texture);
  void QueueDraw(const FrameOp& op);
  void ExecuteFill(const FrameOp& op);
  // Sends what is queued.
  void FlushQueue();
  void Apply(const QueueSettings& q);
  // Puts in use the program for the variants of a group, with their settings.
  // False when the program does not build: the group is not drawn.
  bool UseProgram(const QueueSettings& q, unsigned variantMask, bool runRects);
  void SendRowTable(const std::vector<TableRow>& table);
  GLuint Sampler(const SamplerState& s);
  void BindTargetFramebuffer();

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int maxTextureSize_ = 0;
  std::uint64_t drawCalls_ = 0;
  GLuint vertexArray_ = 0, vertexBuffer_ = 0;
  std::size_t vertexBufferBytes_ = 0;
  GLuint scratchFramebuffer_ = 0;  // for reading textures that are not targets
  ProgramCache programs_;
  struct SamplerEntry {
    SamplerState state;
    GLuint sampler;
  };
  std::vector<SamplerEntry> samplers_;

  const Target* target_ = nullptr;
  DrawQueue queue_;
  std::vector<GlVertex> upload_;
  GLuint tableBuffer_ = 0, tableTexture_ = 0;
  std::size_t tableBufferBytes_ = 0;
  StateCache state_;

  FrameKeeping frames_;
  TextureGenerations generations_;

  PresentPacing pacing_;
};

}  // namespace gl
