// The fixed-function texture stages and alpha test as GLSL programs: one program per
// combination of stage operations, generated on first use and kept. A program may carry several
// combinations ("variants") at once, each vertex naming the one that colours it, so that draws
// which differ only in their stages still go to OpenGL as one draw.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <deque>

namespace gl {

constexpr int MaxStages = 4;
constexpr int MaxVariants = 4;

// Stage operations and arguments carry the Direct3D 9 texture-stage numbers unchanged.
namespace stage {
enum Op : std::uint8_t {
  Disable = 1,
  SelectArg1 = 2,
  SelectArg2 = 3,
  Modulate = 4,
  Modulate2x = 5,
  Modulate4x = 6,
  Add = 7,
  AddSigned = 8,
  AddSigned2x = 9,
  Subtract = 10,
  AddSmooth = 11,
  BlendDiffuseAlpha = 12,
  BlendTextureAlpha = 13,
  BlendFactorAlpha = 14,
  BlendTextureAlphaPremultiplied = 15,
  BlendCurrentAlpha = 16,
};
enum Arg : std::uint8_t {
  Diffuse = 0,
  Current = 1,
  Texture = 2,
  Factor = 3,
  Specular = 4,
  Temp = 5,
  Complement = 0x10,
  AlphaReplicate = 0x20,
};
}  // namespace stage

struct StageOps {
  std::uint8_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};

// The alpha test's comparison that passes every pixel: the number a key holds with the test off.
constexpr std::uint8_t AlphaAlways = 8;

// Everything that selects a program. Stages after the first whose colour operation is Disable
// are left zero, so equal pictures share a program.
struct ProgramKey {
  StageOps stages[MaxStages];
  std::uint8_t textured[MaxStages];  // a texture is bound at the stage
  std::uint8_t alphaFunc;            // comparison number 1 (never) … AlphaAlways; that with the test off
  std::uint8_t reserved[3];          // zero: keys are compared byte for byte
};

bool operator==(const ProgramKey& a, const ProgramKey& b);

// The variants of one program, in the order the vertices number them.
struct ProgramKeys {
  ProgramKey keys[MaxVariants];
  int count;
};

// A program of one variant has the uniforms textureFactor and alphaRef; one of several has
// the arrays textureFactors and alphaRefs, one element per variant.
struct Program {
  GLuint id = 0;
  GLint targetSize = -1, textureFactor = -1, alphaRef = -1;
};

// Texture unit of the row table that programs for run rectangles read (after the stages' units).
constexpr int RowTableUnit = MaxStages;

// A program for run rectangles draws rectangles each of which covers, on each of its rows, only the
// pixels from the left to before the right end its row table gives (see Renderer).
std::string VertexShaderSource(bool textured, bool variants = false, bool runRects = false);
std::string FragmentShaderSource(const ProgramKey& key, bool runRects = false);
std::string FragmentShaderSource(const ProgramKeys& keys, bool runRects = false);

// Tests make programs fail: each fragment program's source goes through `edit` (null: none).
void EditFragmentSourceForTests(std::string (*edit)(const std::string& source));

class ProgramCache {
 public:
  ProgramCache() = default;
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;
  ~ProgramCache();

  // The program for the key, built when first asked for; null when it does not compile or
  // link, which is reported once (with its source and the driver's log) and remembered.
  const Program* Get(const ProgramKey& key, bool runRects = false);
  const Program* Get(const ProgramKeys& keys, bool runRects = false);
  std::size_t size() const { return entries_.size(); }
  // Programs built (or tried) since the start.
  std::size_t built() const { return built_; }
  // Deletes every program (the context must be current).
  void Clear();
  // Forgets every program of a context that is gone.
  void Forget();

 private:
  struct Entry {
    ProgramKeys keys;
    bool runRects;
    Program program;
  };
  Program Build(const ProgramKeys& keys, bool runRects);
  std::deque<Entry> entries_;  // programs stay where they are while the cache grows
  // By kind: 4 for run rectangles, 2 for several variants, 1 for texture coordinates.
  GLuint vertexShaders_[8] = {};
  bool vertexShaderFailed_[8] = {};
  std::size_t built_ = 0;
};

}  // namespace gl
