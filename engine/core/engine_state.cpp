#include "engine_state.h"

constinit EngineStateRecord EngineState{};
