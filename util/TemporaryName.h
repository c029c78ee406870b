#ifndef OSTREL_TEMPORARYNAME_H
#define OSTREL_TEMPORARYNAME_H

#include <cstddef>
#include <string>

namespace ostrel {

// The longest file name (one path component, in bytes) that file systems
// commonly accept; the directory's own limit is asked where it matters.
constexpr std::size_t kCommonNameLimit = 255;

// The name of the temporary file that is written beside the file name (in
// the same directory) and then renamed over it: name + "-tmp-" + unique.
// When that would be longer than nameLimit bytes, name is cut (at a UTF-8
// character boundary, so the name stays readable) until it fits; the result
// still ends in "-tmp-" + unique. An empty name, or a unique text that
// cannot fit on its own, gives the full form.
std::string temporaryNameBeside(const std::string& name, const std::string& unique,
                                std::size_t nameLimit = kCommonNameLimit);

// The same for a path: its directory part followed by the temporary name
// beside its last component.
std::string temporaryPathBeside(const std::string& path, const std::string& unique,
                                std::size_t nameLimit = kCommonNameLimit);

}  // namespace ostrel

#endif
