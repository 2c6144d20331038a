// The log's report of the output devices and of what the sound device offers.
#include "../core/log.h"
#include "platform/kernel32.h"
#include "sound_state.h"

namespace {

const char* Offered(DWORD flags, DWORD flag) { return (flags & flag) ? "OK" : "NO"; }

BOOL LogDevice(GUID*, const char* description, const char* module, void*) {
  LogFormat("モジュール名:%15s  ドライバ記述:%s ", module, description);
  return TRUE;
}

// Logs every output device, one level further in, and the capabilities; false when the
// enumeration could not be reached (the caller then lowers the level).
bool ListDevices(const DSCAPS& caps) {
  HMODULE library = LoadLibraryA("DSOUND.DLL");
  if (library == nullptr) {
    LogText("DSOUND.DLL のロードに失敗しました\n");
    return false;
  }
  auto enumerate = reinterpret_cast<DirectSoundEnumerateAFunction>(GetProcAddress(library, "DirectSoundEnumerateA"));
  if (enumerate == nullptr) {
    FreeLibrary(library);
    LogText("DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n");
    return false;
  }
  enumerate(&LogDevice, nullptr);
  LogIndentOut();

  LogFormat("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ", caps.dwMaxSecondarySampleRate * 0.001,
            caps.dwMinSecondarySampleRate * 0.001);
  LogFormat("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n", caps.dwTotalHwMemBytes / 1024.0,
            caps.dwFreeHwMemBytes / 1024.0);
  LogText("利用可能サンプリング精度\n");
  LogFormat(" プライマリ １６bit = %s  ８bit = %s ", Offered(caps.dwFlags, DSCAPS_PRIMARY16BIT),
            Offered(caps.dwFlags, DSCAPS_PRIMARY8BIT));
  LogFormat(" セカンダリ １６bit = %s  ８bit = %s \n", Offered(caps.dwFlags, DSCAPS_SECONDARY16BIT),
            Offered(caps.dwFlags, DSCAPS_SECONDARY8BIT));
  LogText("利用可能チャンネル\n");
  LogFormat(" プライマリ MONO = %s  STEREO = %s ", Offered(caps.dwFlags, DSCAPS_PRIMARYMONO),
            Offered(caps.dwFlags, DSCAPS_PRIMARYSTEREO));
  LogFormat(" セカンダリ MONO = %s  STEREO = %s \n", Offered(caps.dwFlags, DSCAPS_SECONDARYMONO),
            Offered(caps.dwFlags, DSCAPS_SECONDARYSTEREO));
  FreeLibrary(library);
  return true;
}

}  // namespace

void WriteSoundDeviceReport() {
  DSCAPS caps{};
  caps.dwSize = sizeof caps;
  SoundState.DirectSoundObject->GetCaps(&caps);
  LogText("DirectSound デバイスを列挙します\n");
  LogIndentIn();
  if (!ListDevices(caps)) LogIndentOut();
}
