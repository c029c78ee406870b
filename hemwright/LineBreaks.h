#ifndef HEMWRIGHT_LINEBREAKS_H
#define HEMWRIGHT_LINEBREAKS_H

#include <string>

// Line break styles of the texts that Hemwright adds to files. The values
// are the codes the host's own code gives the styles.
enum class LineBreakStyle : int {
    None = 0,     // no style given
    Windows = 1,  // CR LF
    Unix = 2,     // LF ("unix" or "linux")
    Mac = 3,      // CR
};

// The style of a name compared without regard to the case of ASCII letters;
// None for any other text, which callers treat as invalid.
LineBreakStyle parseLineBreakStyle(const std::string& style);

// The line break bytes of a style: LF for Unix, CR for Mac, CR LF for
// Windows and for None.
std::string lineBreakText(LineBreakStyle style);

// text with every CR LF, lone CR and lone LF replaced by exactly one line
// break of the style; REQUIRES: style is not None.
std::string normalizeLineBreaks(const std::string& text, LineBreakStyle style);

#endif
