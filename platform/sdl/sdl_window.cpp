// The native side of windows on SDL: one SDL window per window, placed at its client area.
#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "../common/platform_contract.h"
#include "../common/window_system.h"
#include "code_page.h"
#include "sdl_video.h"
#include "x11_window_loss.h"

namespace {

SDL_Window* Native(const Window& window) { return static_cast<SDL_Window*>(window.native); }

// The display mode asked for through ChangeDisplaySettingsA, until the desktop's own is asked
// back. SDL changes the display's mode only for a full-screen window, so the mode is carried by
// the main window whenever that is a visible, unminimised pop-up; a mode asked for earlier
// waits for such a window.
bool modeRequested = false;
SDL_DisplayMode requestedMode{};

bool WantsFullScreen(const Window& window) {
  // The first window is not yet listed while it is being created.
  const Window* main = windows::MainWindow();
  return modeRequested && (main == nullptr || main == &window) && !(window.style & WS_CAPTION) && window.visible &&
         !window.minimised;
}

// Display modes are served by a full-screen window at the desktop's own mode with the picture
// scaled, unless VORNEK_CHANGE_DISPLAY_MODE=1 asks for the display's mode to be changed. A
// changed mode moves the player's other windows, is refused on Wayland and by monitors that
// lack it, and outlives a crash.
bool RealModeChanges() {
  const char* value = std::getenv("VORNEK_CHANGE_DISPLAY_MODE");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

// The largest side a scaled mode may have; larger ones are refused as no display has them.
constexpr int MaxScaledModeSide = 16384;

bool IsDesktopMode(const SDL_DisplayMode& mode) {
  SDL_DisplayMode desktop;
  return SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w == mode.w && desktop.h == mode.h &&
         desktop.refresh_rate == mode.refresh_rate;
}

// The window's own name on its SDL windows, for the picture's fit.
constexpr const char* WindowDataName = "vornek.window";

// The client size each window last gave its SDL window. A framed window the player resized
// keeps the player's size while its client area keeps its own; the picture is scaled between.
std::unordered_map<const Window*, std::pair<int, int>> placedSizes;

void PlaceAtClientRect(Window& window, SDL_Window* w) {
  const bool framed = (window.style & WS_CAPTION) != 0;
  SDL_SetWindowBordered(w, framed ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(w, framed ? SDL_TRUE : SDL_FALSE);
  const RECT client = windows::ClientRectOnScreen(window);
  const int width = client.right - client.left > 0 ? client.right - client.left : 1;
  const int height = client.bottom - client.top > 0 ? client.bottom - client.top : 1;
  const auto placed = placedSizes.find(&window);
  const bool playerSized = framed && placed != placedSizes.end() && placed->second == std::pair{width, height};
  int currentWidth = 0, currentHeight = 0;
  SDL_GetWindowSize(w, &currentWidth, &currentHeight);
  if (!playerSized && (currentWidth != width || currentHeight != height)) SDL_SetWindowSize(w, width, height);
  placedSizes[&window] = {width, height};
  SDL_SetWindowPosition(w, client.left, client.top);
}

// Puts the SDL window into or out of full-screen as the requested mode and the window's state
// say. The desktop's own size takes SDL's desktop full-screen: the picture is the same, no
// mode switch makes the monitor resynchronise, and leaving it is instant. Any other size
// switches the display to that mode.
bool UpdateFullScreen(Window& window) {
  SDL_Window* w = Native(window);
  if (w == nullptr) return true;
  const Uint32 current = SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (WantsFullScreen(window)) {
    const Uint32 wanted =
        !RealModeChanges() || IsDesktopMode(requestedMode) ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
    if (wanted == SDL_WINDOW_FULLSCREEN && SDL_SetWindowDisplayMode(w, &requestedMode) != 0) return false;
    if (current == wanted) return true;
    // Without a window manager nothing would make the window cover the display, while SDL
    // takes it for display-sized: it is placed over the display before it goes full-screen.
    SDL_Rect bounds;
    if (wanted == SDL_WINDOW_FULLSCREEN_DESKTOP && current == 0 && SDL_GetDisplayBounds(0, &bounds) == 0) {
      SDL_SetWindowPosition(w, bounds.x, bounds.y);
      SDL_SetWindowSize(w, bounds.w, bounds.h);
    }
    return SDL_SetWindowFullscreen(w, wanted) == 0;
  }
  if (current == 0) return true;
  if (SDL_SetWindowFullscreen(w, 0) != 0) return false;
  // Without a window manager SDL leaves the window at the display's size; the window goes back
  // to its client area's.
  placedSizes.erase(&window);
  PlaceAtClientRect(window, w);
  return true;
}

// A display mode SDL offers with this size, and this rate when one is asked for and SDL knows
// the rate: the desktop's own when it fits, else the first SDL lists. SDL cannot change the
// display's depth; the copy to the window converts every picture, so the depth asked for is no
// reason to refuse a mode.
bool FindOfferedMode(const DEVMODEA& wanted, SDL_DisplayMode* found) {
  const bool rateAsked = (wanted.dmFields & DM_DISPLAYFREQUENCY) && wanted.dmDisplayFrequency > 1;
  const auto fits = [&](const SDL_DisplayMode& m) {
    return static_cast<DWORD>(m.w) == wanted.dmPelsWidth && static_cast<DWORD>(m.h) == wanted.dmPelsHeight &&
           (!rateAsked || m.refresh_rate == 0 || static_cast<DWORD>(m.refresh_rate) == wanted.dmDisplayFrequency);
  };
  SDL_DisplayMode m;
  if (SDL_GetDesktopDisplayMode(0, &m) == 0 && fits(m)) {
    *found = m;
    return true;
  }
  if (!RealModeChanges()) {
    // Any size is served by scaling onto the desktop's own mode.
    if (wanted.dmPelsWidth < 1 || wanted.dmPelsHeight < 1 || wanted.dmPelsWidth > MaxScaledModeSide ||
        wanted.dmPelsHeight > MaxScaledModeSide || SDL_GetDesktopDisplayMode(0, &m) != 0) {
      return false;
    }
    m.w = static_cast<int>(wanted.dmPelsWidth);
    m.h = static_cast<int>(wanted.dmPelsHeight);
    *found = m;
    return true;
  }
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    if (SDL_GetDisplayMode(0, i, &m) == 0 && fits(m)) {
      *found = m;
      return true;
    }
  }
  return false;
}

// The modes programs are offered: the display's own, and while modes are served by scaling,
// the usual sizes that fit on the desktop at its depth and rate after them.
std::vector<SDL_DisplayMode> ListedModes() {
  std::vector<SDL_DisplayMode> modes;
  SDL_DisplayMode m;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(m);
  }
  if (RealModeChanges() || SDL_GetDesktopDisplayMode(0, &m) != 0) return modes;
  static constexpr struct {
    int w, h;
  } usual[] = {{320, 240},  {640, 400},   {640, 480},   {800, 600},   {1024, 768},  {1152, 864},
               {1280, 720}, {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},
               {1600, 900}, {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440}};
  const SDL_DisplayMode desktop = m;
  for (const auto& size : usual) {
    if (size.w > desktop.w || size.h > desktop.h) continue;
    const bool listed = std::any_of(modes.begin(), modes.end(),
                                    [&](const SDL_DisplayMode& x) { return x.w == size.w && x.h == size.h; });
    if (listed) continue;
    SDL_DisplayMode added = desktop;
    added.w = size.w;
    added.h = size.h;
    modes.push_back(added);
  }
  return modes;
}

// The pixel format an OpenGL window is made with: 8 bits a channel, double-buffered, no depth or
// stencil (the device's depth surfaces are its own).
void SetOpenGlWindowAttributes() {
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// An SDL window made at the window's client area with its title and border, hidden.
SDL_Window* MakeSdlWindow(const Window& window, Uint32 extraFlags) {
  const RECT client = windows::ClientRectOnScreen(window);
  Uint32 flags = SDL_WINDOW_HIDDEN | extraFlags;
  flags |= (window.style & WS_CAPTION) ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS;
  const int width = client.right - client.left > 0 ? client.right - client.left : 1;
  const int height = client.bottom - client.top > 0 ? client.bottom - client.top : 1;
  return SDL_CreateWindow(CodePageToUtf8(window.title).c_str(), client.left, client.top, width, height, flags);
}

// The main window stays unmapped until its back-end is settled: the hardware one remakes the
// window for OpenGL, and a window shown before that would appear, vanish and appear again.
// It is shown when a device is made on it or refused, when a picture is first copied to it,
// or, should neither come, after a while of pumping. VORNEK_SOFTWARE=1 remakes nothing, and
// its window shows at once.
Window* unmapped = nullptr;
Uint32 unmappedSince = 0;
constexpr Uint32 UnmappedAtMost = 2000;  // ms

bool SoftwareForced() {
  const char* value = std::getenv("VORNEK_SOFTWARE");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

bool KeptUnmapped(const Window& window) { return unmapped == &window; }

void Reveal(Window& window) {
  if (unmapped != &window) return;
  unmapped = nullptr;
  SDL_Window* w = Native(window);
  if (w == nullptr || !window.visible) return;
  SDL_ShowWindow(w);
  if (window.minimised) {
    SDL_MinimizeWindow(w);
  } else {
    SDL_RaiseWindow(w);
  }
  UpdateFullScreen(window);
}

// Windows replaced by another SDL window of the same window: the old SDL id and the new one.
// Events the old one queued before it went are still to be read.
std::vector<std::pair<Uint32, Uint32>> replacedIds;
// Windows remade without OpenGL after a device could not be made on them: not tried again.
std::vector<Uint32> openGlRefused;

// Puts a new SDL window, with or without OpenGL, in the place of the window's present one: same
// title, place, border, visibility, minimised and full-screen state, and the keyboard focus if
// the old one had it. The old one stays when the new one cannot be made.
bool ReplaceSdlWindow(Window& window, bool openGl) {
  SDL_Window* old = Native(window);
  if (old == nullptr) return false;
  const bool hadFocus = (SDL_GetWindowFlags(old) & SDL_WINDOW_INPUT_FOCUS) != 0 || x11::HasInputFocus(old);
  if (openGl) SetOpenGlWindowAttributes();
  SDL_Window* created = MakeSdlWindow(window, openGl ? SDL_WINDOW_OPENGL : 0);
  if (created == nullptr) return false;
  x11::ForgetWindow(old);
  window.native = created;
  SDL_SetWindowData(created, WindowDataName, &window);
  x11::WatchWindow(created);
  // The size the player gave a framed window goes with it.
  if (!(SDL_GetWindowFlags(old) & SDL_WINDOW_FULLSCREEN)) {
    int width = 0, height = 0;
    SDL_GetWindowSize(old, &width, &height);
    SDL_SetWindowSize(created, width, height);
  }
  const Uint32 oldId = SDL_GetWindowID(old);
  for (auto& entry : replacedIds) {
    if (entry.second == oldId) entry.second = SDL_GetWindowID(created);
  }
  replacedIds.emplace_back(oldId, SDL_GetWindowID(created));
  // Gone before the new one shows: a full-screen old window gives the display back first, and
  // the two never stand on the screen together.
  SDL_DestroyWindow(old);
  if (window.visible && !KeptUnmapped(window)) {
    SDL_ShowWindow(created);
    if (window.minimised) SDL_MinimizeWindow(created);
  }
  UpdateFullScreen(window);
  if (hadFocus && window.visible && !window.minimised) {
    SDL_RaiseWindow(created);
    // A window manager may keep a new window from taking the focus; this one only stands in
    // for the window that had it.
    if (SDL_SetWindowInputFocus(created) != 0) {
      SDL_LogDebug(SDL_LOG_CATEGORY_VIDEO, "the remade window did not take the focus: %s", SDL_GetError());
    }
  }
  return true;
}

// What a player sees when the game cannot start for want of a display: the log is off, so
// this is the one line that says why.
void ReportNoWindow(const char* what, const std::string& reason) {
  std::fprintf(stderr, "%s: cannot open a window: %s (SDL: %s)\n", program_invocation_short_name, what, reason.c_str());
}

}  // namespace

namespace native {

bool CreateNativeWindow(Window& window) {
  std::string error;
  if (!StartSdlVideo(&error)) {
    ReportNoWindow("no display", error);
    return false;
  }
  // Without OpenGL: the software back-end never loads it. The hardware back-end remakes the
  // window for OpenGL when it asks for a device (OpenGlWindowOf).
  SDL_Window* created = MakeSdlWindow(window, 0);
  if (created == nullptr) {
    ReportNoWindow("window creation failed", SDL_GetError());
    return false;
  }
  window.native = created;
  SDL_SetWindowData(created, WindowDataName, &window);
  const RECT client = windows::ClientRectOnScreen(window);
  placedSizes[&window] = {std::max<int>(client.right - client.left, 1), std::max<int>(client.bottom - client.top, 1)};
  x11::WatchWindow(created);
  if (windows::MainWindow() == nullptr && !SoftwareForced()) {
    unmapped = &window;
    unmappedSince = SDL_GetTicks();
  }
  if (window.visible && !KeptUnmapped(window)) SDL_ShowWindow(created);
  UpdateFullScreen(window);
  return true;
}

void DestroyNativeWindow(Window& window) {
  if (window.native == nullptr) return;
  const Uint32 id = SDL_GetWindowID(Native(window));
  std::erase_if(replacedIds, [id](const std::pair<Uint32, Uint32>& entry) { return entry.second == id; });
  std::erase(openGlRefused, id);
  placedSizes.erase(&window);
  if (unmapped == &window) unmapped = nullptr;
  SDL_DestroyWindow(Native(window));
  x11::ForgetWindow(Native(window));
  window.native = nullptr;
}

void SetNativeTitle(Window& window) {
  if (window.native != nullptr) SDL_SetWindowTitle(Native(window), CodePageToUtf8(window.title).c_str());
}

void SetNativeGeometry(Window& window) {
  SDL_Window* w = Native(window);
  if (w == nullptr) return;
  // A full-screen window covers the display whatever its rectangle says.
  if (WantsFullScreen(window)) {
    UpdateFullScreen(window);
    return;
  }
  if (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) {
    UpdateFullScreen(window);
  } else {
    PlaceAtClientRect(window, w);
  }
}

void ShowNativeWindow(Window& window) {
  SDL_Window* w = Native(window);
  if (w == nullptr) return;
  if (KeptUnmapped(window)) {
    // Shown, or not, with the state it has when its back-end is settled.
    if (window.visible) UpdateFullScreen(window);
    return;
  }
  // Full-screen is left before the window goes away and entered once it is back.
  if (!window.visible) {
    UpdateFullScreen(window);
    SDL_HideWindow(w);
  } else if (window.minimised) {
    UpdateFullScreen(window);
    SDL_MinimizeWindow(w);
  } else {
    SDL_ShowWindow(w);
    SDL_RestoreWindow(w);
    UpdateFullScreen(window);
  }
}

void RaiseNativeWindow(Window& window) {
  if (window.native != nullptr && !KeptUnmapped(window)) SDL_RaiseWindow(Native(window));
}

// The band is kept in the window's record only: a full-screen window covers the display
// anyway, and SDL's always-on-top would outlast the switch back to a framed window.
void SetNativeTopMost(Window&) {}

bool AllowClassRegistration() { return true; }

// The pointer as the window's own events left it, while it is over the window or dragging
// from it; elsewhere the last motion the window saw. SDL's global pointer state is not used: on
// X11 it follows only the input extension's raw events, which a pointer moved by another client
// (xdotool, a remote desktop, a virtual pointer) never sends.
bool CursorPosition(POINT* point) {
  if (!SdlVideoRunning()) return false;
  const Window* main = windows::MainWindow();
  if (main == nullptr || main->native == nullptr || SDL_GetMouseFocus() != Native(*main)) return false;
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  *point = WindowPointToScreen(*main, x, y);
  return true;
}

void ApplyCursor(bool visible) {
  if (SdlVideoRunning()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SetScreenSaver(bool enabled) {
  if (!StartSdlVideo()) return;
  if (enabled) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

int DesktopWidth() {
  SDL_DisplayMode mode;
  return StartSdlVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int DesktopHeight() {
  SDL_DisplayMode mode;
  return StartSdlVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

bool DisplayMode(DWORD index, DEVMODEA* result) {
  if (!StartSdlVideo()) return false;
  SDL_DisplayMode mode;
  bool found = false;
  if (index == ENUM_CURRENT_SETTINGS) {
    // A scaled mode is the mode in force as far as programs can tell.
    found =
        modeRequested && !RealModeChanges() ? (mode = requestedMode, true) : SDL_GetCurrentDisplayMode(0, &mode) == 0;
  } else {
    const std::vector<SDL_DisplayMode> modes = ListedModes();
    if (index < modes.size()) {
      mode = modes[index];
      found = true;
    }
  }
  if (!found) return false;
  *result = DEVMODEA{};
  result->dmSize = sizeof *result;
  result->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  result->dmPelsWidth = static_cast<DWORD>(mode.w);
  result->dmPelsHeight = static_cast<DWORD>(mode.h);
  // Bytes per pixel × 8: SDL calls a 32-bit XRGB mode 24 bits per pixel.
  result->dmBitsPerPel = static_cast<DWORD>(SDL_BYTESPERPIXEL(mode.format) * 8);
  result->dmDisplayFrequency = static_cast<DWORD>(mode.refresh_rate);
  return true;
}

LONG ChangeDisplayMode(const DEVMODEA* mode) {
  Window* main = windows::MainWindow();
  if (mode == nullptr) {
    modeRequested = false;
    return main == nullptr || UpdateFullScreen(*main) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
  }
  if (!StartSdlVideo()) return DISP_CHANGE_FAILED;
  SDL_DisplayMode offered;
  if (!FindOfferedMode(*mode, &offered)) return DISP_CHANGE_BADMODE;
  const bool wasRequested = modeRequested;
  const SDL_DisplayMode previous = requestedMode;
  modeRequested = true;
  requestedMode = offered;
  if (main == nullptr || UpdateFullScreen(*main)) return DISP_CHANGE_SUCCESSFUL;
  // The display keeps the mode it had.
  modeRequested = wasRequested;
  requestedMode = previous;
  UpdateFullScreen(*main);
  return DISP_CHANGE_FAILED;
}

}  // namespace native

SDL_Window* OpenGlWindowOf(HWND handle) {
  Window* window = windows::Find(handle);
  if (window == nullptr || window->native == nullptr) return nullptr;
  const Uint32 id = SDL_GetWindowID(Native(*window));
  if (std::find(openGlRefused.begin(), openGlRefused.end(), id) != openGlRefused.end()) {
    SDL_SetError("OpenGL was refused on this window before");
    return nullptr;
  }
  if (!(SDL_GetWindowFlags(Native(*window)) & SDL_WINDOW_OPENGL) && !ReplaceSdlWindow(*window, true)) return nullptr;
  return Native(*window);
}

void RefuseOpenGl(HWND handle) {
  Window* window = windows::Find(handle);
  if (window == nullptr || window->native == nullptr || !(SDL_GetWindowFlags(Native(*window)) & SDL_WINDOW_OPENGL)) {
    return;
  }
  if (ReplaceSdlWindow(*window, false)) openGlRefused.push_back(SDL_GetWindowID(Native(*window)));
}

SDL_Window* SdlWindowSucceeding(Uint32 id) {
  for (const auto& entry : replacedIds) {
    if (entry.first == id) return SDL_GetWindowFromID(entry.second);
  }
  return nullptr;
}

void SyncFullScreen(Window& window) { UpdateFullScreen(window); }

void BackEndSettled(HWND handle) {
  if (Window* window = windows::Find(handle)) Reveal(*window);
}

void RevealOverdueWindow() {
  if (unmapped != nullptr && SDL_GetTicks() - unmappedSince >= UnmappedAtMost) Reveal(*unmapped);
}

bool PictureFitOf(SDL_Window* native, int outputWidth, int outputHeight, PictureFit* fit) {
  const auto* window =
      native != nullptr ? static_cast<const Window*>(SDL_GetWindowData(native, WindowDataName)) : nullptr;
  if (window == nullptr || window->native != native) return false;
  const RECT client = windows::ClientRectOnScreen(*window);
  *fit = FitPicture(client.right - client.left, client.bottom - client.top, outputWidth, outputHeight);
  return true;
}

POINT WindowPointToScreen(const Window& window, int x, int y) {
  const RECT client = windows::ClientRectOnScreen(window);
  SDL_Window* native = static_cast<SDL_Window*>(window.native);
  int width = 0, height = 0;
  if (native != nullptr) SDL_GetWindowSize(native, &width, &height);
  PictureFit fit;
  if (native != nullptr && PictureFitOf(native, width, height, &fit) && !fit.Identity()) {
    const POINT inPicture = OutputToPicture(fit, x, y);
    x = inPicture.x;
    y = inPicture.y;
  }
  return POINT{client.left + x, client.top + y};
}
