#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "platform/user32.h"
#include "window/window.h"

namespace {

using fake::EventKind;

class MessagePumpTest : public EngineFixture {};

std::vector<UINT_PTR> ticks;
void RecordTick(HWND, UINT, UINT_PTR id, DWORD) { ticks.push_back(id); }

TEST_F(MessagePumpTest, ClosingTheWindowEndsInTheSameCallAndEveryLaterOne) {
  Start();
  EXPECT_EQ(PumpMessages(), 0);
  fake::Send(Simple(EventKind::Close));
  EXPECT_EQ(PumpMessages(), -1);
  EXPECT_EQ(EngineState.Destroyed, 1);
  EXPECT_EQ(EngineState.QuitRequested, 1);
  EXPECT_EQ(EngineState.EndRequested, 4) << "the user ended it";
  EXPECT_EQ(fake::NativeWindowCount(), 0);
  EXPECT_EQ(PumpMessages(), -1);
  EXPECT_EQ(IsKeyDown(1), 0);
  EXPECT_EQ(EndEngine(), 0) << "the end finds the window already gone";
}

TEST_F(MessagePumpTest, ABurstIsDrainedBeforeTheCallReturns) {
  Start();
  for (int i = 0; i < 12; ++i) {
    ASSERT_TRUE(
        PostMessageA(EngineState.MainWindow, WM_TIMER, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&RecordTick)));
  }
  ticks.clear();
  const int pass = fake::CurrentPass();
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(ticks.size(), 12u);
  EXPECT_EQ(fake::CurrentPass(), pass + 1) << "one look at an empty queue ends the call";
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessagePumpTest, DeactivationPausesUntilReactivated) {
  Start();
  fake::Send(Simple(EventKind::Deactivate));
  const int resumeAt = fake::CurrentPass() + 20;
  fake::Schedule(resumeAt, Simple(EventKind::Activate));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(EngineState.AppActive, 1);
  EXPECT_GE(fake::CurrentPass(), resumeAt) << "the call waited for the activation";

  // The key check waits too, and sees the key pressed while the program was away.
  fake::Send(Simple(EventKind::Deactivate));
  const int back = fake::CurrentPass() + 10;
  fake::Schedule(back, Key(true, 1));
  fake::Schedule(back, Simple(EventKind::Activate));
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(1), 1);
  EXPECT_GE(fake::CurrentPass(), back);
}

TEST_F(MessagePumpTest, ClosingWhileInactiveEndsThePause) {
  Start();
  fake::Send(Simple(EventKind::Deactivate));
  fake::Schedule(fake::CurrentPass() + 5, Simple(EventKind::Close));
  EXPECT_EQ(PumpMessages(), -1);
  EXPECT_EQ(EngineState.QuitRequested, 1);
}

TEST_F(MessagePumpTest, TimersTickWhenDue) {
  Start();
  ticks.clear();
  ASSERT_NE(SetTimer(EngineState.MainWindow, 0x7FFF, 32, RecordTick), 0u);
  PumpMessages();
  EXPECT_TRUE(ticks.empty());
  fake::AdvanceClock(32);
  PumpMessages();
  EXPECT_EQ(ticks, std::vector<UINT_PTR>{0x7FFF});
  PumpMessages();
  EXPECT_EQ(ticks.size(), 1u) << "not again before the next period";
  KillTimer(EngineState.MainWindow, 0x7FFF);
}

TEST_F(MessagePumpTest, PaintRequestsAreAnsweredOnce) {
  Start();
  InvalidateRect(EngineState.MainWindow, nullptr, FALSE);
  PumpMessages();
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) << "the paint validated the window";
}

// Typed characters and editing keys reach CharBuffer as the text entry wants them.
TEST_F(MessagePumpTest, TypedCharactersAndEditingKeysFillTheCharBuffer) {
  constexpr int Return = 0x1C, Control = 0x1D, B = 0x30, Left = 0xCB, Delete = 0xD3, NumLock = 0x45;
  Start();
  while (TakeCharBuffer() != -1) {
  }
  struct Step {
    EventKind kind;
    int key;
    const char* text;
    std::vector<int> codes;
  };
  const EventKind Down = EventKind::KeyDown, Up = EventKind::KeyUp, Text = EventKind::Text;
  const Step steps[] = {
      {Text, 0, "a", {'a'}},
      {Down, Return, "", {0x0D}},
      {Up, Return, "", {}},
      {Down, Control, "", {}},
      {Down, Return, "", {0x0D}},  // line feed, put as 0x0D
      {Down, B, "", {}},           // Ctrl+B: 0x02 is ignored
      {Up, B, "", {}},
      {Up, Return, "", {}},
      {Up, Control, "", {}},
      {Down, Left, "", {0x1D}},
      {Down, Delete, "", {0x10}},
      {Down, NumLock, "", {}},
      {Text, 0, "\x82\xA0", {0x82, 0xA0}},  // a composed double-byte character
  };
  for (const Step& step : steps) {
    fake::InputEvent event{step.kind, step.key};
    event.text = step.text;
    fake::Send(event);
    PumpMessages();
    std::vector<int> got;
    for (int code; (code = TakeCharBuffer()) != -1;) got.push_back(code);
    EXPECT_EQ(got, step.codes) << "event kind " << static_cast<int>(step.kind) << " key " << step.key;
  }
}

TEST_F(MessagePumpTest, CharBufferHoldsAtMost1024Codes) {
  StartCharBuffer();
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(PutCharBuffer(static_cast<unsigned char>(i)), 0);
  EXPECT_TRUE(CharBufferFull());
  EXPECT_EQ(PutCharBuffer('x'), -1);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(TakeCharBuffer(), i & 0xFF);
  EXPECT_EQ(TakeCharBuffer(), -1);
}

TEST_F(MessagePumpTest, MovingTheWindowMovesTheClientRectangle) {
  Start();
  fake::Send(fake::InputEvent{EventKind::Move, 100, 50});
  PumpMessages();
  const RECT& r = EngineState.ClientRectOnScreen;
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right, 900);
  EXPECT_EQ(r.bottom, 650);
  fake::Send({EventKind::MouseMove, 150, 80});
  int x = 0, y = 0;
  GetCursorPosition(&x, &y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 30);
}

TEST_F(MessagePumpTest, ScreenSaverAndMonitorPowerAreRefused) {
  Start();
  HWND w = EngineState.MainWindow;
  EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
  EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 1);
  EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, SC_SCREENSAVE | 1, 0), 0) << "the whole parameter is compared";
  EXPECT_EQ(PumpMessages(), 0);
}

TEST_F(MessagePumpTest, DesktopChangesTheScreenCannotLiveWithEndTheProgram) {
  struct Case {
    int depth, width, height;
    bool ends;
  };
  const Case cases[] = {
      {32, 800, 600, false}, {32, 1024, 768, false}, {16, 1024, 768, false},
      {24, 1024, 768, true}, {8, 1024, 768, true},   {32, 640, 480, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << " " << c.width << "x" << c.height);
    EngineState = EngineStateRecord{};
    ChangeWindowMode(TRUE);
    ASSERT_EQ(InitEngine(), 0);
    SendMessageA(EngineState.MainWindow, WM_DISPLAYCHANGE, static_cast<WPARAM>(c.depth), MAKELPARAM(c.width, c.height));
    EXPECT_EQ(EngineState.DisplayChangeSeen, 1);
    EXPECT_EQ(EngineState.CloseRequested, c.ends ? 1 : 0);
    EXPECT_EQ(PumpMessages(), c.ends ? -1 : 0);
    EndEngine();
  }
}

TEST_F(MessagePumpTest, CallsFromAnotherThreadFindNoMessages) {
  Start();
  PostMessageA(EngineState.MainWindow, WM_USER, 0, 0);
  MSG message;
  bool seen = true;
  std::thread other([&] { seen = PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE; });
  other.join();
  EXPECT_FALSE(seen);
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
