// Sound started on the fake platform's output (44100 Hz stereo, 16 bits, pulled by the test),
// with the log going to the fake debugger output; afterwards no sound object or engine block
// may be left.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/log.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "sound/sound.h"
#include "sound/sound_state.h"
#include "sound/sound_table.h"
#include "support/sound_bytes.h"
#include "test_support.h"
#include "vornek.h"

class SoundFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    SoundState = SoundStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
    blocksBefore_ = LiveBlockCount();
  }
  void TearDown() override {
    EndSound();
    EXPECT_EQ(fake::LiveSoundObjects(), 0) << "sound objects outlived EndSound";
    EXPECT_EQ(LiveBlockCount(), blocksBefore_) << "engine blocks outlived EndSound";
    fake::ResetPlatform();
  }

  void StartOutput() {
    ASSERT_EQ(StartSound(), 0);
    ASSERT_EQ(fake::OpenedAudio().rate, 44100u);
    ASSERT_EQ(fake::OpenedAudio().channels, 2u);
    ASSERT_EQ(fake::OpenedAudio().bits, 16u);
  }

  // The next frames of the output as 16-bit stereo samples.
  static std::vector<std::int16_t> Pull(int frames) {
    const std::vector<std::uint8_t> bytes = fake::PullAudio(frames);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

  static int Load(const sound_bytes::Bytes& file) {
    return LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
  }

  static const SoundSamples& Decoded(int handle) { return FindSound(handle)->data; }

  static bool Logged(const std::string& utf8) {
    return fake::DebugOutput().find(test_support::Sjis(utf8)) != std::string::npos;
  }

  test_support::TempDirectory dir_;
  int blocksBefore_ = 0;
};
