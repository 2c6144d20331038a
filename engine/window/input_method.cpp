#include "input_method.h"

#include <cstring>

#include "../core/engine_state.h"
#include "../core/time_counters.h"
#include "char_buffer.h"
#include "platform/imm32.h"
#include "window.h"

namespace {

constexpr int TextBytes = 1024;

struct InputMethodRecord {
  int cursorBlinkReset;
  int cursorBlinkTime;
  int cursorVisible;
  int composing;
  int conversionPosition;
  char composition[TextBytes + 1];
  int cursorByte;
  int clauseCount;
  int openStatus;
  int settingOpenStatus;
};

constinit InputMethodRecord InputMethod{};

// The byte offset of a character position in multi-byte text.
int ByteOffset(const char* text, int characters) {
  int offset = 0;
  for (int i = 0; i < characters && text[offset] != '\0'; ++i) {
    const unsigned char lead = static_cast<unsigned char>(text[offset]);
    const bool doubleByte =
        EngineState.CodePageKind == 2 ? lead >= 0x80 : (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    offset += doubleByte && text[offset + 1] != '\0' ? 2 : 1;
  }
  return offset;
}

void ReadComposition(HIMC context) {
  const LONG length = ImmGetCompositionStringA(context, GCS_COMPSTR, InputMethod.composition, TextBytes);
  InputMethod.composition[length > 0 ? length : 0] = '\0';
}

LRESULT OnComposition(HWND window, LPARAM flags) {
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return 0;
  if (flags & GCS_COMPSTR) ReadComposition(context);
  if (flags & GCS_RESULTSTR) {
    char result[TextBytes];
    const LONG length = ImmGetCompositionStringA(context, GCS_RESULTSTR, result, sizeof result);
    for (LONG i = 0; i < length; ++i) PutCharBuffer(static_cast<unsigned char>(result[i]));
    ReadComposition(context);
  }
  if (flags & GCS_CURSORPOS) {
    const LONG position = ImmGetCompositionStringA(context, GCS_CURSORPOS, nullptr, 0);
    InputMethod.cursorByte = ByteOffset(InputMethod.composition, position > 0 ? position : 0);
  }
  if (flags & GCS_COMPCLAUSE) {
    DWORD clauses[TextBytes / 4];
    const LONG bytes = ImmGetCompositionStringA(context, GCS_COMPCLAUSE, clauses, sizeof clauses);
    InputMethod.clauseCount = bytes > 0 ? bytes / 4 : 0;
  }
  ImmReleaseContext(window, context);
  return 0;
}

LRESULT OnNotify(HWND window, WPARAM command, LPARAM lParam) {
  switch (command) {
    case IMN_OPENCANDIDATE:
    case IMN_CHANGECANDIDATE:
    case IMN_SETCANDIDATEPOS:
    case IMN_CLOSECANDIDATE:
      // This input source offers no candidate lists to show.
      return 0;
    case IMN_SETOPENSTATUS: {
      if (InputMethod.settingOpenStatus) return 0;
      InputMethod.settingOpenStatus = 1;
      const LRESULT result = DefWindowProcA(window, WM_IME_NOTIFY, command, lParam);
      const std::uint64_t started = GetMicroCount(0);
      while (GetMicroCount(0) - started < 2000) {
        if (PumpWindowMessages() == -1) break;
      }
      HIMC context = ImmGetContext(window);
      InputMethod.openStatus = context != nullptr && ImmGetOpenStatus(context) ? 1 : 0;
      if (context != nullptr) ImmReleaseContext(window, context);
      InputMethod.settingOpenStatus = 0;
      return result;
    }
    default:
      return DefWindowProcA(window, WM_IME_NOTIFY, command, lParam);
  }
}

}  // namespace

LRESULT ImeMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  InputMethod.cursorBlinkReset = 1;
  InputMethod.cursorBlinkTime = GetMilliCount();
  InputMethod.cursorVisible = 1;
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
      InputMethod.composing = 1;
      InputMethod.conversionPosition = 0;
      return 0;
    case WM_IME_ENDCOMPOSITION:
      std::memset(InputMethod.composition, 0, sizeof InputMethod.composition);
      InputMethod.composing = 0;
      return 0;
    case WM_IME_COMPOSITION:
      return OnComposition(window, lParam);
    case WM_IME_SETCONTEXT:
      return DefWindowProcA(window, message, wParam, 0);
    case WM_IME_NOTIFY:
      return OnNotify(window, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
