#ifndef HEMWRIGHT_LINEBREAKS_H
#define HEMWRIGHT_LINEBREAKS_H

#include <string>

// Line break styles of the texts that Hemwright adds to files, as codes:
// 0 none given, 1 windows (CR LF), 2 unix or linux (LF), 3 mac (CR).

// The code of a style name compared without regard to the case of ASCII
// letters; 0 for any other text, which callers treat as invalid.
int parseLineBreakStyle(const std::string& style);

// The line break bytes of a code: LF for 2, CR for 3, CR LF for 1 and for
// every other code.
std::string lineBreakText(int styleCode);

// text with every CR LF, lone CR and lone LF replaced by exactly one line
// break of the style; REQUIRES: styleCode is 1, 2 or 3.
std::string normalizeLineBreaks(const std::string& text, int styleCode);

#endif
