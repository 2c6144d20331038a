#pragma once

// Logs the engine version, the system and the processor's capabilities at start-up.
void WriteSystemReport();
