// Input start-up and end: DirectInput, or the Windows key state when it cannot be had.
#include "../core/engine_state.h"
#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../window/window.h"
#include "input.h"
#include "input_state.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"

constinit InputStateRecord InputState{};

IDirectInput* WithoutDirectInputMarker() {
  static char marker;
  return reinterpret_cast<IDirectInput*>(&marker);
}

namespace {

constexpr DWORD SharedBackground = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;  // 10

// Creates the object of one DirectInput version and initialises it; null when either fails.
IDirectInput* ObtainDirectInput(const GUID& classId, const GUID& interfaceId, DWORD version) {
  void* object = nullptr;
  const HRESULT created = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, &object);
  if (FAILED(created) || object == nullptr) {
    if (version == 0x700) {
      LogText("取得に失敗。\n");
      LogFormat("エラーコード 0x%x\n", static_cast<unsigned>(created));
    } else {
      LogText("取得に失敗。");
    }
    return nullptr;
  }
  IDirectInput* directInput = static_cast<IDirectInput*>(object);
  LogText("成功\n");
  LogIndentIn();
  LogText("引き続き初期化処理... ");
  if (FAILED(directInput->Initialize(EngineState.Instance, version))) {
    LogText("初期化に失敗。");
    directInput->Release();
    return nullptr;
  }
  LogText("初期化成功\n");
  LogIndentOut();
  return directInput;
}

void ReleaseDevice(IDirectInputDevice*& device) {
  if (device == nullptr) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

void ReleaseAll() {
  ReleaseJoypads();
  ReleaseDevice(InputState.KeyboardDevice);
  ReleaseDevice(InputState.MouseDevice);
  if (InputState.KeyboardEvent != nullptr) {
    CloseHandle(InputState.KeyboardEvent);
    InputState.KeyboardEvent = nullptr;
  }
  if (InputState.DirectInput != nullptr && InputState.DirectInput != WithoutDirectInputMarker()) {
    InputState.DirectInput->Release();
  }
  InputState.DirectInput = nullptr;
}

[[noreturn]] void Fatal(const char* message) {
  ReleaseAll();
  FatalError(message);
}

IDirectInputDevice* CreateDevice(const GUID& device) {
  IDirectInputDevice* result = nullptr;
  if (InputState.DirectInputVersion8) {
    if (FAILED(InputState.DirectInput->CreateDevice(device, &result, nullptr))) return nullptr;
    return result;
  }
  void* made = nullptr;
  if (FAILED(InputState.DirectInput->CreateDeviceEx(device, IID_IDirectInputDevice7A, &made, nullptr))) return nullptr;
  return static_cast<IDirectInputDevice*>(made);
}

// Returns 1 when the keyboard event could not be set up (the device stays, unacquired).
int SetUpKeyboard() {
  LogText("キーボードデバイスの初期化... ");
  InputState.KeyboardDevice = CreateDevice(GUID_SysKeyboard);
  if (InputState.KeyboardDevice == nullptr) Fatal("キーボードデバイスの取得に失敗しました");
  IDirectInputDevice* keyboard = InputState.KeyboardDevice;
  if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard))) Fatal("キーボードデバイスのデータ形式の設定に失敗しました");
  if (FAILED(keyboard->SetCooperativeLevel(EngineState.MainWindow, SharedBackground))) {
    Fatal("キーボードデバイスの協調レベルの設定に失敗しました");
  }
  DIPROPDWORD buffer{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 100};
  if (FAILED(keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph))) {
    LogText("キーボードのプロパティ設定に失敗しました\n");
  }
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HRESULT notified = event != nullptr ? keyboard->SetEventNotification(event) : E_FAIL;
  if (notified != DI_OK && notified != DI_POLLEDDEVICE) {
    if (event != nullptr) CloseHandle(event);
    LogText("キーボードイベントのセットアップが失敗しました\n");
    return 1;
  }
  InputState.KeyboardEvent = event;
  if (FAILED(keyboard->Acquire()) && FAILED(keyboard->Acquire())) Fatal("キーボードデバイスの取得に失敗しました");
  LogText("初期化成功\n");
  InputState.LastKeyRefreshTick = timeGetTime();
  LogIndentOut();
  LogText("DirectInput 関連の初期化は正常に終了しました\n");
  return 0;
}

}  // namespace

int InitInput() {
  if (InputState.DirectInput != nullptr) return 0;
  const int noDirectInput = InputState.NoDirectInput;
  InputState = InputStateRecord{};
  InputState.NoDirectInput = noDirectInput;

  if (!InputState.NoDirectInput) {
    LogText("DirectInput関係初期化処理\n");
    LogIndentIn();
    LogText("DirectInput7 の取得中... ");
    InputState.DirectInput = ObtainDirectInput(CLSID_DirectInput, IID_IDirectInput7A, 0x700);
    if (InputState.DirectInput == nullptr) {
      LogText("DirectInput8 の取得を試みます...");
      InputState.DirectInput = ObtainDirectInput(CLSID_DirectInput8, IID_IDirectInput8A, 0x800);
      InputState.DirectInputVersion8 = InputState.DirectInput != nullptr;
    }
    if (InputState.DirectInput == nullptr) {
      LogText("DirectInput を使用しません。\n");
      LogIndentOut();
      InputState.NoDirectInput = 1;
    }
  }

  if (InputState.NoDirectInput) {
    LogIndentIn();
    LogFormat("パッドの数は %d 個です\n", CountMultimediaJoysticks());
    LogIndentOut();
    // Every slot counts from here on, answered or not; the records hold no device.
    InputState.PadCount = MaxPads;
    InputState.DirectInput = WithoutDirectInputMarker();
    LogText("入力関連の初期化をしました\n");
    ResetPadKeyMap();
    return 0;
  }

  BringWindowToTop(EngineState.MainWindow);
  // The devices need the window; once the program is ending it may be gone.
  if (PumpWindowMessages() == -1) {
    ReleaseAll();
    LogIndentOut();
    return -1;
  }
  SetUpJoypads();
  SetUpMouseDevice();
  // A keyboard without its event leaves at once, before the pad keys are set.
  if (SetUpKeyboard() != 0) return 1;
  ResetPadKeyMap();
  return 0;
}

int EndInput() {
  if (InputState.DirectInput == nullptr) return 0;
  if (InputState.DirectInput == WithoutDirectInputMarker()) {
    LogText("入力関連の終了処理... 完了\n");
  } else {
    LogText("DirectInput 関連の終了処理... 完了\n");
  }
  ReleaseAll();
  return 0;
}

int ReacquireInputDevices() {
  if (InputState.DirectInput == nullptr || InputState.DirectInput == WithoutDirectInputMarker()) return 0;
  ReacquireJoypads();
  if (InputState.KeyboardDevice != nullptr) {
    InputState.KeyboardDevice->Unacquire();
    InputState.KeyboardDevice->Acquire();
  }
  return 0;
}

void SetInputFlag(int index, bool on) {
  if (index == 0 || index == 1) InputState.InputFlags[index] = on ? 1 : 0;
}
