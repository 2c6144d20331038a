#include "text_blit.h"

// The software blit family is not part of this engine yet: until it is, text that needs
// blending (anti-aliased fonts, blend modes other than none) stays in the work image and
// nothing reaches the draw image. The call to make here is
//   SoftDrawImage(DrawState.softTarget, work, x, y, TRUE, <the blend graphic's image or null>);
void BlitTextWorkImage(MEMIMG*, int, int) {}
