#ifndef OSTREL_PLATFORM_POSIX_FILEIDENTITYKEY_H
#define OSTREL_PLATFORM_POSIX_FILEIDENTITYKEY_H

#include "util/platform/FileIdentity.h"

#include <sys/stat.h>

#include <string>

namespace ostrel::platform::posix {

// The identity of the file info describes: its device and inode number,
// which together name one file for as long as it exists. Every identity the
// POSIX code hands out is built here, so that two of them always compare
// alike.
inline FileIdentity identityOf(const struct stat& info) {
    return FileIdentity(std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino));
}

}  // namespace ostrel::platform::posix

#endif
