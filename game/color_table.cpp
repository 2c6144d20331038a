#include "color_table.h"

#include "vornek.h"

const std::uint32_t ColorTable[ColorCount] = {
    MakeColor(255, 255, 255), MakeColor(0, 0, 255),   MakeColor(255, 0, 0),   MakeColor(0, 255, 0),
    MakeColor(255, 0, 255),   MakeColor(0, 255, 255), MakeColor(255, 255, 0), MakeColor(32, 32, 32),
};
