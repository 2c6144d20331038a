// MIDI through FluidSynth: the player runs on the synthesiser's own sample clock, so the music
// is rendered exactly as fast as the stream asks for it, on the game's thread. The SoundFont is
// read through the platform's files.
#include <fluidsynth.h>

#include <cstdio>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "midi_music.h"
#include "platform/kernel32.h"
#include "sound_file.h"

struct MidiRenderer {
  fluid_settings_t* settings;
  fluid_synth_t* synth;
  fluid_player_t* player;
  std::uint8_t* file;
  bool ended;
};

namespace {

constexpr std::size_t MaxMidiBytes = std::size_t{16} << 20;

// Debian's General MIDI SoundFonts, the one chosen as default first.
constexpr const char* SoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

void* OpenFont(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 1, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

int ReadFont(void* buffer, fluid_long_long_t count, void* file) {
  auto* out = static_cast<char*>(buffer);
  while (count > 0) {
    const DWORD want = static_cast<DWORD>(count < (1 << 30) ? count : (1 << 30));
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(file), out, want, &got, nullptr) || got == 0) return FLUID_FAILED;
    out += got;
    count -= got;
  }
  return FLUID_OK;
}

int SeekFont(void* file, fluid_long_long_t offset, int origin) {
  const DWORD method = origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : FILE_BEGIN;
  LONG high = static_cast<LONG>(static_cast<std::uint64_t>(offset) >> 32);
  const DWORD low = SetFilePointer(static_cast<HANDLE>(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
  return low == INVALID_SET_FILE_POINTER ? FLUID_FAILED : FLUID_OK;
}

fluid_long_long_t TellFont(void* file) {
  LONG high = 0;
  const DWORD low = SetFilePointer(static_cast<HANDLE>(file), 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER) return FLUID_FAILED;
  return static_cast<fluid_long_long_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
}

int CloseFont(void* file) { return CloseHandle(static_cast<HANDLE>(file)) ? FLUID_OK : FLUID_FAILED; }

// FluidSynth's own messages would go to standard error; the engine's log says what failed.
void QuietFluid(int, const char*, void*) {}

const char* InstalledSoundFont() {
  for (const char* path : SoundFonts) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 1, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    CloseHandle(file);
    return path;
  }
  return nullptr;
}

}  // namespace

bool MidiInThisBuild() { return true; }

MidiRenderer* OpenMidi(const char* path, bool loop, const char** reason) {
  const char* font = InstalledSoundFont();
  if (font == nullptr) {
    *reason = "General MIDI の SoundFont がありません (fluid-soundfont-gm が要ります)";
    return nullptr;
  }
  std::size_t size = 0;
  std::uint8_t* bytes = ReadWholeFile(path, MaxMidiBytes, &size, reason);
  if (bytes == nullptr) return nullptr;
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, &QuietFluid, nullptr);

  auto* midi = static_cast<MidiRenderer*>(TrackedCalloc(sizeof(MidiRenderer), "", 0));
  if (midi == nullptr) {
    TrackedFree(bytes);
    *reason = "メモリが足りません";
    return nullptr;
  }
  midi->file = bytes;
  midi->settings = new_fluid_settings();
  if (midi->settings != nullptr) {
    fluid_settings_setnum(midi->settings, "synth.sample-rate", MidiRate);
    fluid_settings_setstr(midi->settings, "player.timing-source", "sample");
    fluid_settings_setint(midi->settings, "synth.lock-memory", 0);
    midi->synth = new_fluid_synth(midi->settings);
  }
  fluid_sfloader_t* loader = midi->synth != nullptr ? new_fluid_defsfloader(midi->settings) : nullptr;
  if (loader != nullptr) {
    fluid_sfloader_set_callbacks(loader, &OpenFont, &ReadFont, &SeekFont, &TellFont, &CloseFont);
    fluid_synth_add_sfloader(midi->synth, loader);
  }
  if (loader == nullptr) {
    *reason = "FluidSynth を準備できません";
  } else if (fluid_synth_sfload(midi->synth, font, 1) == FLUID_FAILED) {
    *reason = "SoundFont が読めません";
  } else if ((midi->player = new_fluid_player(midi->synth)) == nullptr ||
             fluid_player_add_mem(midi->player, bytes, size) != FLUID_OK ||
             fluid_player_set_loop(midi->player, loop ? -1 : 1) != FLUID_OK ||
             fluid_player_play(midi->player) != FLUID_OK) {
    *reason = "MIDI ファイルが読めません";
  } else {
    return midi;
  }
  CloseMidi(midi);
  return nullptr;
}

std::uint32_t RenderMidi(MidiRenderer* midi, std::int16_t* out, std::uint32_t frames) {
  // The player reads a file it cannot play as having ended at once.
  if (midi->ended || fluid_player_get_status(midi->player) != FLUID_PLAYER_PLAYING) {
    midi->ended = true;
    return 0;
  }
  if (fluid_synth_write_s16(midi->synth, static_cast<int>(frames), out, 0, 2, out, 1, 2) != FLUID_OK) return 0;
  return frames;
}

void CloseMidi(MidiRenderer* midi) {
  if (midi == nullptr) return;
  if (midi->player != nullptr) {
    fluid_player_stop(midi->player);
    delete_fluid_player(midi->player);
  }
  if (midi->synth != nullptr) delete_fluid_synth(midi->synth);  // with its SoundFont loaders
  if (midi->settings != nullptr) delete_fluid_settings(midi->settings);
  TrackedFree(midi->file);
  TrackedFree(midi);
}
