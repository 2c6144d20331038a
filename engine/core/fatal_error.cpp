#include "fatal_error.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "api_lock.h"
#include "last_error.h"
#include "log.h"
#include "platform/kernel32.h"

namespace {

int (*FatalShutDown)() = nullptr;

// The engine's own dead ends, said in English for standard error (the log keeps them as they
// are). A message not listed is shown as it is when it is plain ASCII.
struct FatalSentence {
  const char* logged;
  const char* english;
};
constexpr FatalSentence Sentences[] = {
    {"APIロック用イベントの作成に失敗しました", "the event for the engine's lock could not be made"},
    {"GetGlyphOutline 関数が失敗しました", "the system could not render a character of a font"},
    {"アンチエイリアス文字取得用バッファの確保に失敗しました", "no memory for the image of a character"},
    {"キーボードデバイスのデータ形式の設定に失敗しました", "the keyboard refused its data format"},
    {"キーボードデバイスの協調レベルの設定に失敗しました", "the keyboard refused to be shared with other programs"},
    {"キーボードデバイスの取得に失敗しました", "the keyboard could not be opened"},
    {"グラフィックの数が許容量を越えました終了します", "too many graphics at once"},
    {"テキストキャッシュサーフェスのＤＣの取得に失敗しました", "no device context to render characters in"},
    {"プライマリサーフェス用の MEMIMG の作成に失敗しました", "no memory for the screen image"},
    {"マウスデバイスのデータ形式の設定に失敗しました", "the mouse refused its data format"},
    {"マウスデバイスの協調レベルの設定に失敗しました", "the mouse refused to be shared with other programs"},
    {"マウスデバイスの取得に失敗しました", "the mouse could not be opened"},
    {"メモリの確保に失敗しました", "out of memory"},
    {"予期せぬ画面モード変更不能現象が起きました",
     "the screen mode could not be changed and there is no mode to fall back to"},
};

bool PlainText(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) return false;
  }
  return true;
}

// One line on standard error whatever the log setting: a program with the log off still says
// why it ended.
void SayOnStandardError(const char* message) {
  const char* english = nullptr;
  for (const FatalSentence& s : Sentences) {
    if (std::strncmp(message, s.logged, std::strlen(s.logged)) == 0) {
      english = s.english;
      break;
    }
  }
  char cut[400];
  if (english == nullptr && PlainText(message)) {
    std::snprintf(cut, sizeof cut, "%s", message);
    // The log's own line end is not repeated inside the sentence.
    for (char* p = cut; *p != '\0'; ++p) {
      if (*p == '\n' || *p == '\r') *p = ' ';
    }
    english = cut;
  }
  if (english == nullptr) english = "the engine met a condition it cannot recover from";
  char line[512];
  const int length = std::snprintf(line, sizeof line, "vornek: fatal error: %s; the program ends\n", english);
  SetLastErrorText("fatal error: %s", english);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length < 0 ? 0 : length), &written, nullptr);
}

}  // namespace

void SetFatalErrorShutDown(int (*shutDown)()) { FatalShutDown = shutDown; }

void FatalError(const char* message) {
  if (message == nullptr) message = "";
  SayOnStandardError(message);
  LogText(message);
  LogText("\n");
  if (FatalShutDown != nullptr) FatalShutDown();
  CloseApiLock();
  ExitProcess(static_cast<UINT>(-1));
}

void FatalErrorFormat(const char* format, ...) {
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  FatalError(buffer);
}
