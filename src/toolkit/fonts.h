#pragma once

namespace toolkit {

// The layouts name the Japanese Windows gothic faces; IPA P Gothic and IPA Gothic are
// their nearest matches on Linux (full-width glyphs share their metrics).
void installFontSubstitutions();

// The program-wide font: the proportional gothic at 9 points.
void setApplicationFont();

} // namespace toolkit
