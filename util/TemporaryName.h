#ifndef OSTREL_TEMPORARYNAME_H
#define OSTREL_TEMPORARYNAME_H

#include <cstddef>
#include <string>

namespace ostrel {

// The longest file name (one path component, in bytes) that file systems
// commonly accept; the directory's own limit is asked where it matters.
constexpr std::size_t kCommonNameLimit = 255;

// The path of the temporary file that is written beside path and then renamed
// over it: path + "-tmp-" + unique. When that last component would be longer
// than nameLimit bytes, the file's own name is cut (at a UTF-8 character
// boundary, so the name stays readable) until it fits; the temporary file
// then still lies in the same directory and still ends in "-tmp-" + unique.
// A path ending in a separator, or a unique text that cannot fit on its own,
// is returned in the full form.
std::string temporaryPathBeside(const std::string& path, const std::string& unique,
                                std::size_t nameLimit = kCommonNameLimit);

}  // namespace ostrel

#endif
