// WindowProcedure: window events turned into engine state.
#include "../core/engine_state.h"
#include "../core/log.h"
#include "../input/input.h"
#include "char_buffer.h"
#include "input_method.h"
#include "window.h"
#include "window_events.h"

namespace {

// Keys that put an editing code into CharBuffer.
struct KeyCode {
  WPARAM virtualKey;
  unsigned char code;
};
constexpr KeyCode KeyCodes[] = {
    {VK_DELETE, 0x10}, {VK_LEFT, 0x1D}, {VK_RIGHT, 0x1C}, {VK_UP, 0x1E},   {VK_DOWN, 0x1F},
    {VK_HOME, 0x1A},   {VK_END, 0x19},  {VK_PRIOR, 0x17}, {VK_NEXT, 0x15},
};

void OnKeyDown(WPARAM virtualKey) {
  if (CharBufferFull()) return;
  for (const KeyCode& k : KeyCodes) {
    if (k.virtualKey == virtualKey) {
      PutCharBuffer(k.code);
      return;
    }
  }
}

void OnChar(WPARAM character) {
  unsigned code = static_cast<unsigned>(character & 0xFF);
  if (code == 0x0A) code = 0x0D;
  switch (code) {
    case 0x01:
    case 0x03:
    case 0x08:
    case 0x09:
    case 0x0D:
    case 0x10:
    case 0x16:
    case 0x18:
    case 0x1B:
      break;
    default:
      if (code < 0x20) return;
  }
  PutCharBuffer(static_cast<unsigned char>(code));
}

void HideCursorIfNotShown() {
  if (EngineState.CursorShown != 0) return;
  SetCursor(nullptr);
  while (ShowCursor(FALSE) >= 0) {
  }
}

constexpr UINT InputFlagMessageA = 0x046F;
constexpr UINT InputFlagMessageB = 0x0470;
constexpr UINT NetworkMessage = 0x0505;

}  // namespace

LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      LogText("ウインドウを閉じようとしています\n");
      DestroyWindow(EngineState.MainWindow);
      if (EngineState.EndRequested == 0) EngineState.EndRequested = 4;
      return 0;

    case WM_DESTROY:
      LogText("ウインドウが破棄されようとしています\n");
      EngineState.Destroyed = 1;
      LogText("ソフトを終了する準備が整いました\n");
      PostQuitMessage(0);
      EngineState.QuitRequested = 1;
      break;

    case WM_ACTIVATE:
      OnActivation(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0);
      break;

    case WM_ACTIVATEAPP:
      if (wParam == 0) OnActivation(false, false);
      break;

    case WM_SIZE:
      if (wParam != SIZE_MAXIMIZED) RefreshWindowLayout();
      break;

    case WM_MOVE:
      OnMove(lParam);
      break;

    case WM_PAINT:
      OnPaint(window);
      return 0;

    case WM_DISPLAYCHANGE:
      OnDisplayChange(wParam, lParam);
      EngineState.DisplayChangeSeen = 1;
      break;

    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      // Full-screen hardware drawing shows no system menu strip here, so only the hiding applies.
      HideCursorIfNotShown();
      break;

    case WM_MOVING:
      if (!EngineState.Windowed && lParam != 0) GetWindowRect(window, reinterpret_cast<RECT*>(lParam));
      break;

    case WM_KEYDOWN:
      OnKeyDown(wParam);
      break;

    case WM_SYSKEYDOWN:
      // Alt+Enter, not its repeats: the switch itself waits for the end of the pump, which it
      // runs again.
      if (wParam == VK_RETURN && !(lParam & 0x40000000) && !EngineState.FullScreenKeyOff) {
        EngineState.ModeToggleRequested = 1;
      }
      break;

    case WM_CHAR:
      OnChar(wParam);
      break;

    case WM_SYSCOMMAND:
      if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 1;
      break;

    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
      return ImeMessageHandler(window, message, wParam, lParam);

    case MM_MCINOTIFY:
      // No music is played; the notification has nothing to finish.
      break;

    case InputFlagMessageA:
    case InputFlagMessageB:
      SetInputFlag(message == InputFlagMessageA ? 0 : 1, wParam == 1);
      break;

    case WM_DEVICECHANGE:
      // A pad plugged in or out; anything else leaves the pads as they are.
      if (wParam == DBT_DEVNODES_CHANGED) RefreshJoypads();
      break;

    case NetworkMessage:
      // The network is never started, so there is no connection to serve.
      return 0;

    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
