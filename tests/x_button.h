// The X display's left mouse button, pressed and released through the X test extension on a
// connection of its own, so the window under the pointer gets real button events.
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
  // Returns once the server has taken the event; the client still has to read it.
  void Set(bool held);
  bool Held() const { return held_; }

 private:
  void* display_ = nullptr;
  bool available_ = false;
  bool held_ = false;
};
