// The X display's pointer, moved and its left button pressed and released on a connection of
// its own (the button through the X test extension), so the window under the pointer gets real
// motion and button events from the display, as another client driving the pointer makes them.
#pragma once

class XLeftButton {
 public:
  XLeftButton();
  // Lets go of a button still held, so a test that stops mid-drag leaves the display as it was.
  ~XLeftButton();
  XLeftButton(const XLeftButton&) = delete;
  XLeftButton& operator=(const XLeftButton&) = delete;

  // Whether the display could be opened and offers the test extension.
  bool Available() const { return available_; }
  // Each returns once the server has taken the event; the client still has to read it.
  void Set(bool held);
  // To a point on the screen, as another client warps the pointer.
  void MoveTo(int x, int y);
  bool Held() const { return held_; }

 private:
  void* display_ = nullptr;
  bool available_ = false;
  bool held_ = false;
};
