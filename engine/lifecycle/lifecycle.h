// The engine's start and end: the top layer, which starts and stops every subsystem in its
// order. Nothing in the engine includes it; FatalError reaches ShutDownEngine through its hook.
#pragma once

// Stops every subsystem in its order and writes the memory report; returns 0 at once when the
// engine is not started.
int ShutDownEngine();
