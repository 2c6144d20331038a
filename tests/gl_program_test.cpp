// A program that does not build under X (xvfb-run): reported once with its source and the
// driver's log, never built again, and its draws skipped while the others still draw.
#include <string>

#include "gl_renderer_fixture.h"

namespace {

using namespace gl_fixture;
using GlProgramTest = GlRendererFixture;

// Breaks every fragment program that samples a texture.
std::string BreakTextured(const std::string& source) {
  return source.find("texture(sampler0") != std::string::npos ? source + "this is no statement\n" : source;
}

TEST_F(GlProgramTest, AProgramThatFailsIsReportedOnceAndItsDrawsSkipped) {
  gl::EditFragmentSourceForTests(&BreakTextured);
  testing::internal::CaptureStderr();
  const auto corner = [](float x, float y, float u, float v) {
    return gl::SourceVertex{x - 0.5f, y - 0.5f, 0, 0xFFFFFFFF, {u, 0}, {v, 0}};
  };
  const gl::SourceVertex white[] = {corner(2, 14, 0, 0), corner(8, 14, 0, 0), corner(2, 20, 0, 0), corner(8, 20, 0, 0)};
  const gl::SourceVertex textured[] = {corner(16, 8, 0, 0), corner(24, 8, 1, 0), corner(16, 16, 0, 1),
                                       corner(24, 16, 1, 1)};
  for (int frame = 0; frame < 3; ++frame) {
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, Black);
    // A white square drawn with a program that builds, left bound when the textured one comes.
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, white, 4, 2, Plain()));
    renderer_.Flush();
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, textured, 4, 2, Textured()));
    renderer_.Present(target_, nullptr, nullptr, false);
    EXPECT_EQ(Pixel(4, 16), 0xFFFFFFFFu) << frame;
    EXPECT_EQ(Pixel(20, 12), Black) << frame << ": the textured square is skipped, not drawn with another program";
  }
  const std::size_t built = renderer_.programsBuilt();
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, textured, 4, 2, Textured()));
  renderer_.Flush();
  EXPECT_EQ(renderer_.programsBuilt(), built) << "the failed program is not built again";
  const std::string output = testing::internal::GetCapturedStderr();
  gl::EditFragmentSourceForTests(nullptr);
  const std::string report = "fragment shader does not compile";
  const std::size_t first = output.find(report);
  ASSERT_NE(first, std::string::npos) << output;
  EXPECT_EQ(output.find(report, first + 1), std::string::npos) << "reported once:\n" << output;
  EXPECT_NE(output.find("this is no statement"), std::string::npos) << "with its source:\n" << output;
  EXPECT_NE(output.find("texture(sampler0"), std::string::npos) << output;
}

}  // namespace
