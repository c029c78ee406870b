#ifndef OSTREL_STRINGS_H
#define OSTREL_STRINGS_H

#include <cstddef>
#include <string>
#include <vector>

// Byte-wise text helpers on 8-bit strings. None of them looks at the process
// locale beyond the classic "C" rules for ASCII letters.
namespace ostrel {

// Splits text at every occurrence of delimiter. An empty text gives an empty
// list; a delimiter at the very end adds no empty last piece; adjacent
// delimiters give an empty piece between them.
// Throws CrException "Illegal argument to SplitString. Delimiter is empty."
std::vector<std::string> SplitString(const std::string& text, const std::string& delimiter);

// Case-insensitive equality of ASCII letters, compared up to the first NUL of
// each text.
bool equalsIgnoreCase(const std::string& left, const std::string& right);

// Upper-cases every byte (only a to z change); length and positions are kept.
void toUpperInPlace(std::string& text);

// A copy of text without the characters of set at either end; an empty set
// gives an unchanged copy.
std::string trimCharacters(const std::string& text, const std::string& set);

// Replaces every oldChar by newChar (when they differ) and returns how many
// oldChar the text held.
std::size_t replaceCharacter(std::string& text, char oldChar, char newChar);

// Erases the bytes 1-8, 11, 12 and 14-31 in place; keeps tab, line feed,
// carriage return, NUL and everything from 32 up. Returns whether anything
// was erased.
bool removeControlCharacters(std::string& text);

}  // namespace ostrel

#endif
