#include "gl_programs.h"

#include <cstring>

#include "platform/kernel32.h"

namespace gl {

bool operator==(const ProgramKey& a, const ProgramKey& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

namespace {

// Every run in a run rectangle has the same colour and texture coordinates, so a program for
// run rectangles takes them from one vertex: a software rasteriser would otherwise interpolate
// the constants at every pixel, and the discs have many.
const char* Interpolation(bool runRects) { return runRects ? "flat " : ""; }

}  // namespace

// Positions arrive in the target's pixels with Direct3D's pixel centres at integer coordinates;
// OpenGL's are half a pixel further on. Row 0 stays row 0 of the framebuffer object, so its
// memory reads top row first, as a locked surface does, and the top-left fill rule keeps its
// meaning; presenting turns the picture upright.
// Texture coordinates are passed on only to programs that sample: every output costs the
// rasteriser set-up work for every primitive.
std::string VertexShaderSource(bool textured, bool variants, bool runRects) {
  std::string s = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 diffuse;
layout(location = 2) in vec4 coordinates;
uniform vec2 targetSize;
)";
  s += runRects ? "flat out vec4 lowerColor;\n" : "out vec4 color;\n";
  if (variants) s += "layout(location = 3) in int variantIn;\nflat out int variant;\n";
  if (textured) s += std::string(Interpolation(runRects)) + "out vec4 uv;\n";
  if (runRects) s += "layout(location = 4) in int tableOffsetIn;\nflat out int tableOffset;\n";
  s += R"(void main() {
  vec2 ndc = (position.xy + 0.5) * 2.0 / targetSize - 1.0;
  gl_Position = vec4(ndc, clamp(position.z, 0.0, 1.0) * 2.0 - 1.0, 1.0);
)";
  s += runRects ? "  lowerColor = diffuse.bgra;\n" : "  color = diffuse.bgra;\n";
  if (textured) s += "  uv = coordinates;\n";
  if (variants) s += "  variant = variantIn;\n";
  if (runRects) s += "  tableOffset = tableOffsetIn;\n";
  return s + "}\n";
}

bool Textured(const ProgramKey& key) {
  for (int i = 0; i < MaxStages; ++i) {
    if (key.stages[i].colorOp == stage::Disable || key.stages[i].colorOp == 0) break;
    if (key.textured[i]) return true;
  }
  return false;
}

bool Textured(const ProgramKeys& keys) {
  for (int v = 0; v < keys.count; ++v) {
    if (Textured(keys.keys[v])) return true;
  }
  return false;
}

namespace {

std::string Argument(std::uint8_t arg, int stage) {
  std::string value;
  switch (arg & 0x0F) {
    case stage::Diffuse:
      value = "color";
      break;
    case stage::Current:
      value = "current";
      break;
    case stage::Texture:
      value = "tex" + std::to_string(stage);
      break;
    case stage::Factor:
      value = "textureFactor";
      break;
    case stage::Temp:
      value = "temp";
      break;
    default:
      value = "vec4(1.0)";
      break;  // specular is not kept: white
  }
  if (arg & stage::AlphaReplicate) value = "(" + value + ").aaaa";
  if (arg & stage::Complement) value = "(1.0 - " + value + ")";
  return value;
}

// The result of one stage operation over vec4 arguments a and b.
std::string Operation(std::uint8_t op, const std::string& a, const std::string& b, int stage) {
  const std::string t = "tex" + std::to_string(stage);
  switch (op) {
    case stage::SelectArg1:
      return a;
    case stage::SelectArg2:
      return b;
    case stage::Modulate:
      return a + " * " + b;
    case stage::Modulate2x:
      return "clamp(" + a + " * " + b + " * 2.0, 0.0, 1.0)";
    case stage::Modulate4x:
      return "clamp(" + a + " * " + b + " * 4.0, 0.0, 1.0)";
    case stage::Add:
      return "clamp(" + a + " + " + b + ", 0.0, 1.0)";
    case stage::AddSigned:
      return "clamp(" + a + " + " + b + " - 0.5, 0.0, 1.0)";
    case stage::AddSigned2x:
      return "clamp((" + a + " + " + b + " - 0.5) * 2.0, 0.0, 1.0)";
    case stage::Subtract:
      return "clamp(" + a + " - " + b + ", 0.0, 1.0)";
    case stage::AddSmooth:
      return "clamp(" + a + " + " + b + " - " + a + " * " + b + ", 0.0, 1.0)";
    case stage::BlendDiffuseAlpha:
      return "mix(" + b + ", " + a + ", color.a)";
    case stage::BlendTextureAlpha:
      return "mix(" + b + ", " + a + ", " + t + ".a)";
    case stage::BlendFactorAlpha:
      return "mix(" + b + ", " + a + ", textureFactor.a)";
    case stage::BlendTextureAlphaPremultiplied:
      return "clamp(" + a + " + " + b + " * (1.0 - " + t + ".a), 0.0, 1.0)";
    case stage::BlendCurrentAlpha:
      return "mix(" + b + ", " + a + ", current.a)";
    default:
      return a;
  }
}

const char* Comparison(std::uint8_t func) {
  switch (func) {
    case 1:
      return "false";
    case 2:
      return "a < ref";
    case 3:
      return "a == ref";
    case 4:
      return "a <= ref";
    case 5:
      return "a > ref";
    case 6:
      return "a != ref";
    case 7:
      return "a >= ref";
    default:
      return nullptr;  // always
  }
}

std::string (*editFragmentSource)(const std::string&) = nullptr;

// Written once for each program that fails (its caller remembers the failure) to the debugger
// output, where the game's log lines also appear: the device has no way into the log itself.
void ReportFailure(const char* what, const char* infoLog, const std::string& source) {
  const std::string report = std::string("OpenGL ") + what + ": " + infoLog + "\n--- its source:\n" + source +
                             "--- end of source; its draws are skipped\n";
  OutputDebugStringA(report.c_str());
}

GLuint Compile(GLenum kind, const std::string& source) {
  const GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    ReportFailure(kind == GL_VERTEX_SHADER ? "vertex shader does not compile" : "fragment shader does not compile", log,
                  source);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

namespace {

// The stages and the alpha test of one key, as statements that turn `current` into the
// fragment's colour or discard it, each line led by `indent`.
std::string StageStatements(const ProgramKey& key, const std::string& indent) {
  std::string s;
  for (int i = 0; i < MaxStages; ++i) {
    const StageOps& st = key.stages[i];
    if (st.colorOp == stage::Disable || st.colorOp == 0) break;
    const std::string t = "tex" + std::to_string(i);
    // A stage without a texture reads opaque black, as the fixed-function stages do.
    const std::string coordinates = i == 1 ? "uv.zw" : "uv.xy";
    s += indent + "vec4 " + t + " = " +
         (key.textured[i] ? "texture(sampler" + std::to_string(i) + ", " + coordinates + ")"
                          : "vec4(0.0, 0.0, 0.0, 1.0)") +
         ";\n";
    const std::string rgb = Operation(st.colorOp, Argument(st.colorArg1, i), Argument(st.colorArg2, i), i);
    // A disabled alpha operation under an enabled colour operation passes the alpha on.
    const std::string alpha = st.alphaOp == stage::Disable || st.alphaOp == 0
                                  ? "current"
                                  : Operation(st.alphaOp, Argument(st.alphaArg1, i), Argument(st.alphaArg2, i), i);
    s += indent + "current = vec4((" + rgb + ").rgb, (" + alpha + ").a);\n";
  }
  if (const char* test = Comparison(key.alphaFunc)) {
    s += indent + "int a = int(floor(current.a * 255.0 + 0.5));\n" + indent + "int ref = alphaRef;\n";
    s += indent + "if (!(" + test + ")) discard;\n";
  }
  return s;
}

// The row's entry of the table holds its run, its upper run and the upper run's ARGB colour
// (see Renderer); a run holds its first pixel in its low 16 bits and the one after its last in
// the high ones (see TableRun), and a row without one holds an empty one. One fetch per pixel:
// the software rasteriser makes it for every pixel of a rectangle. gl_FragCoord is at the
// pixel's centre, row 0 the target's top. The upper colour's channels become c / 255 as a
// vertex's do, so that no result of the stages' arithmetic, whose exact values never fall half
// way between two steps of 1/255, rounds differently.
const char* const RunRectDeclarations =
    "flat in vec4 lowerColor;\nflat in int tableOffset;\nuniform isamplerBuffer rowTable;\n";
const char* const RunRectTest = R"(  ivec2 pixel = ivec2(gl_FragCoord.xy);
  ivec4 runs = texelFetch(rowTable, tableOffset + pixel.y);
  bool upper = pixel.x >= (runs.y & 0xFFFF) && pixel.x < (runs.y >> 16);
  if (!upper && (pixel.x < (runs.x & 0xFFFF) || pixel.x >= (runs.x >> 16))) discard;
  vec4 color = upper ? vec4((ivec4(runs.z) >> ivec4(16, 8, 0, 24)) & 0xFF) / 255.0 : lowerColor;
)";

// What every fragment program has up to its stage statements; `inputs` and `uniforms` are what
// one set of settings and several differ in.
std::string FragmentHead(bool textured, bool runRects, const std::string& inputs, const std::string& uniforms) {
  std::string s = std::string("#version 330 core\n") + (runRects ? "" : "in vec4 color;\n") + inputs;
  if (textured) s += std::string(Interpolation(runRects)) + "in vec4 uv;\n";
  if (runRects) s += RunRectDeclarations;
  s += uniforms;
  s += R"(uniform sampler2D sampler0, sampler1, sampler2, sampler3;
out vec4 fragment;
void main() {
)";
  if (runRects) s += RunRectTest;
  s += R"(  vec4 current = color;
  vec4 temp = vec4(0.0);
)";
  return s;
}

}  // namespace

std::string FragmentShaderSource(const ProgramKey& key, bool runRects) {
  std::string s = FragmentHead(Textured(key), runRects, "", "uniform vec4 textureFactor;\nuniform int alphaRef;\n");
  s += StageStatements(key, "  ");
  s += "  fragment = current;\n}\n";
  return s;
}

// Each variant's statements in a block of their own, chosen by the vertex's variant; inside
// it the variant's factor and reference hide the arrays' names.
std::string FragmentShaderSource(const ProgramKeys& keys, bool runRects) {
  if (keys.count == 1) return FragmentShaderSource(keys.keys[0], runRects);
  const std::string count = std::to_string(keys.count);
  std::string s = FragmentHead(Textured(keys), runRects, "flat in int variant;\n",
                               "uniform vec4 textureFactors[" + count + "];\nuniform int alphaRefs[" + count + "];\n");
  for (int v = 0; v < keys.count; ++v) {
    const std::string n = std::to_string(v);
    s += std::string(v == 0 ? "  if" : "  } else if") + " (variant == " + n + ") {\n";
    s += "    vec4 textureFactor = textureFactors[" + n + "];\n    int alphaRef = alphaRefs[" + n + "];\n";
    s += StageStatements(keys.keys[v], "    ");
  }
  s += "  }\n  fragment = current;\n}\n";
  return s;
}

ProgramCache::~ProgramCache() = default;

const Program* ProgramCache::Get(const ProgramKey& key, bool runRects) {
  ProgramKeys keys;
  std::memset(&keys, 0, sizeof keys);
  keys.keys[0] = key;
  keys.count = 1;
  return Get(keys, runRects);
}

void EditFragmentSourceForTests(std::string (*edit)(const std::string& source)) { editFragmentSource = edit; }

const Program* ProgramCache::Get(const ProgramKeys& keys, bool runRects) {
  if (keys.count < 1 || keys.count > MaxVariants) return nullptr;
  const auto size = sizeof(ProgramKey) * static_cast<std::size_t>(keys.count);
  for (const Entry& e : entries_) {
    if (e.runRects == runRects && e.keys.count == keys.count && std::memcmp(e.keys.keys, keys.keys, size) == 0) {
      return e.program.id != 0 ? &e.program : nullptr;
    }
  }
  Entry entry;
  std::memset(&entry.keys, 0, sizeof entry.keys);
  std::memcpy(entry.keys.keys, keys.keys, size);
  entry.keys.count = keys.count;
  entry.runRects = runRects;
  entry.program = Build(keys, runRects);
  ++built_;
  // A program that failed is kept too, with no name: its draws are skipped without building it
  // (and reporting it) again.
  entries_.push_back(entry);
  return entry.program.id != 0 ? &entries_.back().program : nullptr;
}

Program ProgramCache::Build(const ProgramKeys& keys, bool runRects) {
  const bool textured = Textured(keys), variants = keys.count > 1;
  const int kind = (runRects ? 4 : 0) + (variants ? 2 : 0) + (textured ? 1 : 0);
  GLuint& vertexShader = vertexShaders_[kind];
  if (vertexShader == 0 && !vertexShaderFailed_[kind]) {
    vertexShader = Compile(GL_VERTEX_SHADER, VertexShaderSource(textured, variants, runRects));
    vertexShaderFailed_[kind] = vertexShader == 0;
  }
  if (vertexShader == 0) return Program{};
  std::string fragmentSource = FragmentShaderSource(keys, runRects);
  if (editFragmentSource != nullptr) fragmentSource = editFragmentSource(fragmentSource);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource);
  if (fragment == 0) return Program{};
  Program p;
  p.id = glCreateProgram();
  glAttachShader(p.id, vertexShader);
  glAttachShader(p.id, fragment);
  glBindAttribLocation(p.id, 0, "position");
  glBindAttribLocation(p.id, 1, "diffuse");
  glBindAttribLocation(p.id, 2, "coordinates");
  if (variants) glBindAttribLocation(p.id, 3, "variantIn");
  if (runRects) glBindAttribLocation(p.id, 4, "tableOffsetIn");
  glLinkProgram(p.id);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
    ReportFailure("program does not link", log, VertexShaderSource(textured, variants, runRects) + fragmentSource);
    glDeleteProgram(p.id);
    return Program{};
  }
  p.targetSize = glGetUniformLocation(p.id, "targetSize");
  p.textureFactor = glGetUniformLocation(p.id, variants ? "textureFactors" : "textureFactor");
  p.alphaRef = glGetUniformLocation(p.id, variants ? "alphaRefs" : "alphaRef");
  glUseProgram(p.id);
  for (int i = 0; i < MaxStages; ++i) {
    const GLint sampler = glGetUniformLocation(p.id, ("sampler" + std::to_string(i)).c_str());
    if (sampler >= 0) glUniform1i(sampler, i);
  }
  const GLint rowTable = glGetUniformLocation(p.id, "rowTable");
  if (rowTable >= 0) glUniform1i(rowTable, RowTableUnit);
  return p;
}

void ProgramCache::Forget() {
  entries_.clear();
  for (GLuint& shader : vertexShaders_) shader = 0;
  for (bool& failed : vertexShaderFailed_) failed = false;
}

void ProgramCache::Clear() {
  for (const Entry& e : entries_) {
    if (e.program.id != 0) glDeleteProgram(e.program.id);
  }
  for (GLuint shader : vertexShaders_) {
    if (shader != 0) glDeleteShader(shader);
  }
  Forget();
}

}  // namespace gl
