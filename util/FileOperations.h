#ifndef OSTREL_FILEOPERATIONS_H
#define OSTREL_FILEOPERATIONS_H

#include <string>

// File-system operations on 8-bit paths (slash and backslash both separate).
// Every failure throws CrException (E_FAIL) with a message naming the
// operation and the path; false is returned only for ordinary negative
// answers.
namespace ostrel {

// Whether anything (file or directory) exists at path.
bool fileExists(const std::string& path);

// Whether a directory exists at path. Never throws.
bool directoryExists(const std::string& path);

// Moves source to destination. Returns false only when destination is an
// existing non-directory and overwrite is false. With overwrite, an existing
// destination is replaced atomically (never removed first).
bool moveFile(const std::string& source, const std::string& destination, bool overwrite);

// Removes the file if it exists.
void removeFile(const std::string& path);

// Removes the directory and everything below it if it exists.
void removeDirectory(const std::string& path);

// The directory part of path including its last separator, with backslashes
// turned into slashes; the path unchanged when it ends in a separator; empty
// when there is no separator.
std::string parentDirectory(const std::string& path);

// Writes text to path, replacing the file (or appending when append is set).
void writeFile(const std::string& path, const std::string& text, bool binary, bool append = false);

}  // namespace ostrel

#endif
