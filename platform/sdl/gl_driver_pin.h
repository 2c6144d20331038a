// In the sanitizer build, the OpenGL driver stays loaded until the process ends.
//
// Mesa's DRI driver keeps a few blocks (some 240 bytes) in its own data and never frees them;
// it is unloaded when the X display is closed at exit, and the leak checker, no longer seeing
// the data that points at them, reports them as leaks. Their stacks lie in the unloaded driver,
// so no suppression can name them. Kept loaded, the driver's data still holds them: they are
// reachable, and every real leak of ours still shows. Other builds unload the driver as before.
#pragma once

namespace gl {

// After a context was made: marks the loaded DRI driver never to be unloaded (sanitizer build).
void KeepDriverForLeakCheck();

}  // namespace gl
