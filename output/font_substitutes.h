#pragma once

namespace suantiji {

// The sheet names the Chinese faces "黑体", SimHei, SimSun and 宋体, which a Linux desktop
// lacks and fontconfig answers with a font without Chinese glyphs. Maps them to the fonts
// present: the sans faces to a Latin sans for digits and signs followed by the first CJK sans,
// the serif faces to a CJK serif. Call once after the QApplication exists and before anything
// is drawn.
void InstallFontSubstitutes();

}  // namespace suantiji
