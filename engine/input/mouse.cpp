// The mouse: cursor position in screen coordinates of the drawing, and held buttons.
#include "../core/engine_state.h"
#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../window/window.h"
#include "input_state.h"
#include "platform/winmm.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

[[noreturn]] void Fatal(IDirectInputDevice* device, const char* message) {
  if (device != nullptr) device->Release();
  InputState.MouseDevice = nullptr;
  InputState.DirectInput->Release();
  InputState.DirectInput = nullptr;
  FatalError(message);
}

}  // namespace

void SetUpMouseDevice() {
  LogText("マウスデバイスの初期化... ");
  IDirectInputDevice* mouse = nullptr;
  if (InputState.DirectInputVersion8) {
    InputState.DirectInput->CreateDevice(GUID_SysMouse, &mouse, nullptr);
  } else {
    void* made = nullptr;
    InputState.DirectInput->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, &made, nullptr);
    mouse = static_cast<IDirectInputDevice*>(made);
  }
  if (mouse == nullptr) Fatal(nullptr, "マウスデバイスの取得に失敗しました");
  if (FAILED(mouse->SetDataFormat(&c_dfDIMouse2))) Fatal(mouse, "マウスデバイスのデータ形式の設定に失敗しました");
  if (FAILED(mouse->SetCooperativeLevel(EngineState.MainWindow, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND))) {
    Fatal(mouse, "マウスデバイスの協調レベルの設定に失敗しました");
  }
  InputState.MouseDevice = mouse;
  LogText("初期化成功\n");
  InputState.LastKeyRefreshTick = timeGetTime();
}

int GetCursorPosition(int* x, int* y) {
  if (CalledOffEngineThread(__func__)) return -1;
  POINT cursor{};
  GetCursorPos(&cursor);
  int cx = cursor.x, cy = cursor.y;
  if (EngineState.Windowed) {
    const double scale = EffectiveWindowScale();
    cx = static_cast<int>((cursor.x - EngineState.ClientRectOnScreen.left) / scale);
    cy = static_cast<int>((cursor.y - EngineState.ClientRectOnScreen.top) / scale);
  }
  if (x != nullptr) *x = cx;
  if (y != nullptr) *y = cy;
  return 0;
}

int GetMouseButtons() {
  if (CalledOffEngineThread(__func__)) return 0;
  if (!InputState.NoDirectInput && InputState.MouseDevice != nullptr) {
    DIMOUSESTATE2 state{};
    IDirectInputDevice* mouse = InputState.MouseDevice;
    if (FAILED(mouse->GetDeviceState(sizeof state, &state))) {
      if (FAILED(mouse->Acquire())) return 0;
      if (FAILED(mouse->GetDeviceState(sizeof state, &state))) return 0;
    }
    int mask = 0;
    for (int n = 0; n < 8; ++n) {
      if (state.rgbButtons[n] & 0x80) mask |= 1 << n;
    }
    return mask;
  }
  BYTE keys[256];
  if (!GetKeyboardState(keys)) return 0;
  int mask = 0;
  if (keys[VK_LBUTTON] & 0x80) mask |= 1;
  if (keys[VK_RBUTTON] & 0x80) mask |= 2;
  if (keys[VK_MBUTTON] & 0x80) mask |= 4;
  return mask;
}
