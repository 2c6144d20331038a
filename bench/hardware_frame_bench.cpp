// The game frame on the hardware back-end under X (Mesa's llvmpipe with xvfb-run): CPU time per
// frame with the present, and OpenGL draws per frame, beside a plain OpenGL program that draws
// the same primitives, one draw call each. Each is measured twice: the process's CPU time,
// rasteriser threads included, and the game thread's alone. Run: xvfb-run -a -s '-screen 0 1280x1024x24'
// build/bench/hardware_frame_bench
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "board.h"
#include "game.h"
#include "gl_renderer.h"
#include "graphics/graphics_state.h"
#include "platform/d3d9.h"
#include "vornek.h"

namespace {

// One DrawPrimitiveUP of the engine, with its vertices.
struct RecordedDraw {
  D3DPRIMITIVETYPE type;
  UINT primitives;
  DWORD fvf;
  UINT stride;
  std::vector<std::uint8_t> vertices;
};

// Passes every call on to the engine's device and keeps the draws while recording.
class RecordingDevice final : public IDirect3DDevice9 {
 public:
  explicit RecordingDevice(IDirect3DDevice9* device) : device_(device) {}
  bool recording = false;
  std::vector<RecordedDraw> draws;
  std::uint64_t drawCalls = 0;

  ULONG AddRef() override { return device_->AddRef(); }
  ULONG Release() override { return device_->Release(); }
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override { return device_->GetDeviceCaps(caps); }
  HRESULT GetBackBuffer(UINT a, UINT b, D3DBACKBUFFER_TYPE c, IDirect3DSurface9** s) override {
    return device_->GetBackBuffer(a, b, c, s);
  }
  HRESULT GetSwapChain(UINT a, IDirect3DSwapChain9** c) override { return device_->GetSwapChain(a, c); }
  HRESULT Reset(D3DPRESENT_PARAMETERS* p) override { return device_->Reset(p); }
  HRESULT Present(const RECT* a, const RECT* b, HWND w, const RGNDATA* r) override {
    return device_->Present(a, b, w, r);
  }
  HRESULT BeginScene() override { return device_->BeginScene(); }
  HRESULT EndScene() override { return device_->EndScene(); }
  HRESULT Clear(DWORD n, const D3DRECT* r, DWORD f, D3DCOLOR c, float z, DWORD s) override {
    return device_->Clear(n, r, f, c, z, s);
  }
  HRESULT ColorFill(IDirect3DSurface9* s, const RECT* r, D3DCOLOR c) override { return device_->ColorFill(s, r, c); }
  HRESULT StretchRect(IDirect3DSurface9* a, const RECT* b, IDirect3DSurface9* c, const RECT* d,
                      D3DTEXTUREFILTERTYPE f) override {
    return device_->StretchRect(a, b, c, d, f);
  }
  HRESULT CreateTexture(UINT w, UINT h, UINT l, DWORD u, D3DFORMAT f, D3DPOOL p, IDirect3DTexture9** t,
                        HANDLE* s) override {
    return device_->CreateTexture(w, h, l, u, f, p, t, s);
  }
  HRESULT CreateRenderTarget(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE m, DWORD q, BOOL l, IDirect3DSurface9** s,
                             HANDLE* h2) override {
    return device_->CreateRenderTarget(w, h, f, m, q, l, s, h2);
  }
  HRESULT CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE m, DWORD q, BOOL d,
                                    IDirect3DSurface9** s, HANDLE* h2) override {
    return device_->CreateDepthStencilSurface(w, h, f, m, q, d, s, h2);
  }
  HRESULT SetRenderTarget(DWORD i, IDirect3DSurface9* s) override { return device_->SetRenderTarget(i, s); }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* s) override { return device_->SetDepthStencilSurface(s); }
  HRESULT SetViewport(const D3DVIEWPORT9* v) override { return device_->SetViewport(v); }
  HRESULT SetScissorRect(const RECT* r) override { return device_->SetScissorRect(r); }
  HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override { return device_->SetRenderState(s, v); }
  HRESULT SetSamplerState(DWORD s, D3DSAMPLERSTATETYPE t, DWORD v) override {
    return device_->SetSamplerState(s, t, v);
  }
  HRESULT SetTextureStageState(DWORD s, D3DTEXTURESTAGESTATETYPE t, DWORD v) override {
    return device_->SetTextureStageState(s, t, v);
  }
  HRESULT SetTexture(DWORD s, IDirect3DTexture9* t) override { return device_->SetTexture(s, t); }
  HRESULT SetVertexShader(IDirect3DVertexShader9* s) override { return device_->SetVertexShader(s); }
  HRESULT SetPixelShader(IDirect3DPixelShader9* s) override { return device_->SetPixelShader(s); }
  HRESULT SetVertexShaderConstantF(UINT r, const float* d, UINT n) override {
    return device_->SetVertexShaderConstantF(r, d, n);
  }
  HRESULT SetPixelShaderConstantF(UINT r, const float* d, UINT n) override {
    return device_->SetPixelShaderConstantF(r, d, n);
  }
  HRESULT SetFVF(DWORD fvf) override {
    fvf_ = fvf;
    return device_->SetFVF(fvf);
  }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices, UINT stride) override {
    ++drawCalls;
    if (recording) {
      const std::size_t n = gl::VertexCountFor(static_cast<gl::Primitive>(type), count);
      const auto* bytes = static_cast<const std::uint8_t*>(vertices);
      draws.push_back(RecordedDraw{type, count, fvf_, stride, std::vector<std::uint8_t>(bytes, bytes + n * stride)});
    }
    return device_->DrawPrimitiveUP(type, count, vertices, stride);
  }

 private:
  IDirect3DDevice9* device_;
  DWORD fvf_ = 0;
};

// A full board, every ball falling so that every square also draws its counter, the cursor on
// a square so that the whole panel and the selection frame are drawn, and three matched balls
// with their red frames.
void FullBoard() {
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      Board[row][column] = {(row * 3 + column) % 7 + 1, Falling, 32};
    }
  }
  for (int column = 2; column < 5; ++column) Board[4][column].Status = Matched;
  Game.MousePos = {100, 100};
  Game.FieldPos = {1, 1};
  Game.Selected = true;
  Game.Time = 32;
}

std::vector<RecordedDraw> recordedFrame;

void HardwareGameFrame(benchmark::State& state) {
  if (StartGame() != 0) {
    state.SkipWithError("the engine did not start (no X display?)");
    return;
  }
  if (!UsingHardwarePath()) {
    EndEngine();
    state.SkipWithError("the engine took its software back-end (no OpenGL 3.3?)");
    return;
  }
  FullBoard();
  IDirect3DDevice9* device = GraphicsState.device;
  RecordingDevice recorder(device);
  GraphicsState.device = &recorder;
  recorder.recording = true;
  ClearScreen();
  DrawFrame();
  PresentScreen();
  recorder.recording = false;
  recordedFrame = recorder.draws;
  const std::uint64_t glBefore = gl::TotalDrawCalls();
  const std::uint64_t keptBefore = gl::TotalFramesKept();
  const std::uint64_t upBefore = recorder.drawCalls;
  for (auto _ : state) {
    ClearScreen();
    DrawFrame();
    PresentScreen();
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["gl_draws_per_frame"] = static_cast<double>(gl::TotalDrawCalls() - glBefore) / frames;
  state.counters["draw_primitive_up_per_frame"] = static_cast<double>(recorder.drawCalls - upBefore) / frames;
  state.counters["kept_frames"] = static_cast<double>(gl::TotalFramesKept() - keptBefore) / frames;
  GraphicsState.device = device;
  EndEngine();
}
BENCHMARK(HardwareGameFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(300);
// The same with the game's own thread's CPU time only, without the rasteriser's threads.
BENCHMARK(HardwareGameFrame)->Name("HardwareGameFrame/main_thread")->Unit(benchmark::kMillisecond)->Iterations(300);

// The same frame drawn every time, as a frame that changes is: the device may not present the
// picture it kept.
void HardwareDrawnGameFrame(benchmark::State& state) {
  gl::KeepUnchangedFrames(false);
  HardwareGameFrame(state);
  gl::KeepUnchangedFrames(true);
}
BENCHMARK(HardwareDrawnGameFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(300);
BENCHMARK(HardwareDrawnGameFrame)
    ->Name("HardwareDrawnGameFrame/main_thread")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300);

// The frame's floor on the hardware back-end: clearing and presenting, nothing drawn.
void HardwareEmptyFrame(benchmark::State& state) {
  if (StartGame() != 0 || !UsingHardwarePath()) {
    EndEngine();
    state.SkipWithError("no hardware back-end");
    return;
  }
  for (auto _ : state) {
    ClearScreen();
    PresentScreen();
  }
  EndEngine();
}
BENCHMARK(HardwareEmptyFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(300);

const char* const PlainVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 diffuse;
uniform vec2 targetSize;
out vec4 color;
void main() {
  gl_Position = vec4((position + 0.5) * 2.0 / targetSize - 1.0, 0.0, 1.0);
  color = diffuse.bgra;
})";
const char* const PlainFragmentShader = R"(#version 330 core
in vec4 color;
out vec4 fragment;
void main() { fragment = color; })";

GLuint Compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

// The same frame drawn the plain way: one OpenGL draw per point, line or triangle, straight
// from the recorded vertices (positions and colours), into a framebuffer object presented
// without waiting. With range 0, nothing drawn: the plain program's floor.
void PlainOpenGlFrame(benchmark::State& state) {
  const bool drawing = state.range(0) != 0;
  static const std::vector<RecordedDraw> nothing;
  if (recordedFrame.empty()) {
    state.SkipWithError("no frame was recorded on the hardware back-end");
    return;
  }
  SDL_Window* window = SDL_CreateWindow("plain OpenGL", 0, 0, 800, 600, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
  if (context == nullptr) {
    state.SkipWithError("no OpenGL context");
    if (window != nullptr) SDL_DestroyWindow(window);
    return;
  }
  SDL_GL_MakeCurrent(window, context);
  SDL_GL_SetSwapInterval(0);
  const GLuint program = glCreateProgram();
  glAttachShader(program, Compile(GL_VERTEX_SHADER, PlainVertexShader));
  glAttachShader(program, Compile(GL_FRAGMENT_SHADER, PlainFragmentShader));
  glLinkProgram(program);
  glUseProgram(program);
  glUniform2f(glGetUniformLocation(program, "targetSize"), 800, 600);
  GLuint texture, framebuffer, vertexArray, buffer;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Kept as BGRA, as the engine keeps the picture it presents: the copy to the window is then a
  // plain copy for both programs.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 800, 600, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  glViewport(0, 0, 800, 600);
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, 64 * 1024, nullptr, GL_STREAM_DRAW);
  std::uint64_t draws = 0;
  for (auto _ : state) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (const RecordedDraw& d : drawing ? recordedFrame : nothing) {
      glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(d.stride), nullptr);
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(d.stride),
                            reinterpret_cast<void*>(16));
      glEnableVertexAttribArray(1);
      const GLenum mode = d.type == D3DPT_POINTLIST                               ? GL_POINTS
                          : d.type == D3DPT_LINELIST || d.type == D3DPT_LINESTRIP ? GL_LINES
                                                                                  : GL_TRIANGLES;
      const int perPrimitive = mode == GL_POINTS ? 1 : mode == GL_LINES ? 2 : 3;
      // Lists step over whole primitives; strips (and, near enough, fans) one vertex at a time.
      const bool list = d.type == D3DPT_POINTLIST || d.type == D3DPT_LINELIST || d.type == D3DPT_TRIANGLELIST;
      const std::size_t step = (list ? perPrimitive : 1) * static_cast<std::size_t>(d.stride);
      for (UINT p = 0; p < d.primitives; ++p) {
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(perPrimitive * d.stride),
                        d.vertices.data() + p * step);
        glDrawArrays(mode, 0, perPrimitive);
        ++draws;
      }
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, 800, 600, 0, 600, 800, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    SDL_GL_SwapWindow(window);
  }
  state.counters["gl_draws_per_frame"] = static_cast<double>(draws) / static_cast<double>(state.iterations());
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
}
BENCHMARK(PlainOpenGlFrame)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(300);
BENCHMARK(PlainOpenGlFrame)
    ->Name("PlainOpenGlFrame/main_thread")
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300);
BENCHMARK(PlainOpenGlFrame)
    ->Name("PlainOpenGlEmptyFrame")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
