// The shut-down sequence shared by EndEngine and FatalError.
#pragma once

// Stops every subsystem in its order and writes the memory report; returns 0 at once when the
// engine is not started.
int ShutDownEngine();
