// Advance widths in pixels (at scale 1) of the bitmap font's glyphs, codes 32
// to 131, index code - 32. The game measures and kerns text with them, and
// the media generator draws each glyph's ink to fit its advance.
#pragma once

inline constexpr float kFontAdvance[100] = {
    14, 5,  9,  15, 13, 13, 19, 6,  8,  8,  13, 13, 6,  14, 6,  13,  // 32-47
    14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 6,  7,  10, 14, 10, 14,  // 48-63
    19, 26, 26, 26, 26, 26, 26, 26, 25, 26, 26, 26, 26, 26, 26, 26,  // 64-79
    26, 26, 26, 26, 25, 26, 26, 26, 25, 26, 26, 13, 16, 13, 12, 16,  // 80-95
    14, 14, 14, 14, 14, 14, 14, 14, 14, 5,  14, 14, 14, 14, 14, 14,  // 96-111
    14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 11, 5,  11, 11, 19,  // 112-127
    26, 1,  1,  1};                                                  // 128-131

// The advance after character c when next follows it (0 for none): "T" and
// "Y" tuck in to 16 before a lower-case letter and "V" to 22; every other
// character takes its table width.
inline constexpr float KernedAdvance(unsigned char c, unsigned char next) {
  bool lowernext = next >= 'a' && next <= 'z';
  if ((c == 'T' || c == 'Y') && lowernext) return 16;
  if (c == 'V' && lowernext) return 22;
  return kFontAdvance[c - 32];
}
