// Comparing a frame with a reference PNG under tests/golden. VORNEK_UPDATE_GOLDEN=1 writes
// missing or differing references instead of failing; a mismatch otherwise writes the actual
// frame and a diff (differing pixels red on a dimmed copy) into outputDirectory.
#pragma once

#include <string>

#include "png_image.h"

// Empty when the frame matches (or the reference was written), else the failure message.
std::string CompareWithGolden(const PngImage& actual, const std::string& referenceDirectory,
                              const std::string& outputDirectory, const std::string& name);
