#pragma once
// A header: never converted, so its texts must stay ASCII.
inline const char* Title() { return "題名"; }
