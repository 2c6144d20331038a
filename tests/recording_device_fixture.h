// A test of the hardware back-end on the fake platform's recording Direct3D 9 device: a windowed
// 800 x 600 x 32 engine, started by Start() with the device's call list emptied, and checked at
// the end for Direct3D objects and engine blocks left behind; with ways to read the device's
// call records.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "test_support.h"
#include "vornek.h"

namespace fake {

// Records shown as the device's text in test failures.
inline void PrintTo(const D3dCall& call, std::ostream* out) { *out << FormatD3dCall(call); }
inline void PrintTo(const D3dVertex& vertex, std::ostream* out) {
  D3dCall shown{D3dCallKind::DrawPrimitiveUP, {D3DPT_POINTLIST, 1, 0}, {}, {}, {}, {}, {vertex}, nullptr};
  *out << FormatD3dCall(shown);
}
// Equal in kind and arguments; vertices and states are compared apart.
inline bool operator==(const D3dCall& a, const D3dCall& b) {
  return a.kind == b.kind && a.numbers == b.numbers && a.reals == b.reals && a.objects == b.objects &&
         a.rects == b.rects && a.result == b.result;
}

}  // namespace fake

class RecordingDeviceTest : public ::testing::Test {
 protected:
  using Kind = fake::D3dCallKind;
  using Rect = std::optional<fake::D3dRect>;
  using Numbers = std::vector<std::int64_t>;
  using Vertices = std::vector<fake::D3dVertex>;

  // An expected call, to compare with a record in kind and arguments.
  static fake::D3dCall Call(Kind kind, std::vector<std::int64_t> numbers, std::vector<std::string> objects = {},
                            std::vector<float> reals = {}, std::vector<Rect> rects = {}, std::string result = "") {
    return fake::D3dCall{
        kind,   std::move(numbers), std::move(reals), std::move(objects), std::move(rects), std::move(result), {},
        nullptr};
  }
  // A vertex of the plain format at depth 0.2, as the engine's 2D drawing sends it.
  static fake::D3dVertex Plain(float x, float y, D3DCOLOR diffuse = 0xFFFFFFFF) {
    return fake::D3dVertex{true, x, y, 0.2f, 1.0f, diffuse, std::nullopt, {}};
  }

  // A textured vertex at depth 0.2, as the engine's graphics send it.
  static fake::D3dVertex Textured(float x, float y, float u, float v, D3DCOLOR diffuse = 0xFFFFFFFF) {
    return fake::D3dVertex{true, x, y, 0.2f, 1.0f, diffuse, std::nullopt, {{u, v}}};
  }

  static std::vector<fake::D3dCall> Calls(Kind kind) { return fake::D3dCallsOf(kind); }
  // Whether a call of this kind whose numbers begin with these was made.
  static bool Made(Kind kind, const Numbers& numbers) {
    for (const fake::D3dCall& call : fake::D3dCallRecords()) {
      if (call.kind == kind && call.numbers.size() >= numbers.size() &&
          std::equal(numbers.begin(), numbers.end(), call.numbers.begin())) {
        return true;
      }
    }
    return false;
  }
  // Whether a draw sent this vertex.
  static bool Sent(const fake::D3dVertex& vertex) {
    for (const fake::D3dCall& draw : Draws()) {
      for (const fake::D3dVertex& v : draw.vertices) {
        if (v == vertex) return true;
      }
    }
    return false;
  }
  static std::vector<fake::D3dCall> Draws() { return fake::D3dCallsOf(Kind::DrawPrimitiveUP); }
  // Where the calls follow one another in the records, or -1.
  static long Find(const std::vector<fake::D3dCall>& run) {
    const std::vector<fake::D3dCall>& calls = fake::D3dCallRecords();
    for (std::size_t i = 0; i + run.size() <= calls.size(); ++i) {
      bool all = true;
      for (std::size_t k = 0; k < run.size() && all; ++k) all = calls[i + k] == run[k];
      if (all) return static_cast<long>(i);
    }
    return -1;
  }
  // Where the first call of a kind is in the records, or -1.
  static long FindKind(Kind kind) {
    const std::vector<fake::D3dCall>& calls = fake::D3dCallRecords();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].kind == kind) return static_cast<long>(i);
    }
    return -1;
  }

  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(true);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    // The device's first state is prepared from the draw state the engine before left behind,
    // before the draw state is reset: every test starts from a new process's.
    DrawState = DrawStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(fake::LiveD3dObjects(), 0) << "Direct3D objects outlived the engine";
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  void Start() {
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, 1);
    // Whatever start-up queued goes out now; the test sees only its own calls.
    FlushVertexBatch();
    fake::ClearD3dCalls();
  }

  static bool Logged(const std::string& utf8) {
    return fake::DebugOutput().find(test_support::Sjis(utf8)) != std::string::npos;
  }
};
