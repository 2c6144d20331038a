// Which vector width the blit loops of this translation unit are built for. The loops and
// their helpers live in a namespace per width, so that the wide build (compiled for AVX2) and
// the baseline one never share a definition.
#pragma once

#ifndef VORNEK_BLIT_WIDE
#define VORNEK_BLIT_WIDE 0
#endif

#if VORNEK_BLIT_WIDE
#define VORNEK_BLIT_NS blit_wide
#else
#define VORNEK_BLIT_NS blit_baseline
#endif
