#ifndef OSTREL_PLATFORM_WINDOWS_FILESECURITY_H
#define OSTREL_PLATFORM_WINDOWS_FILESECURITY_H

#include "util/platform/windows/WindowsState.h"

// Who may use a file on Windows: its security descriptor and its attributes,
// read from the file a replacement is made from and given to the new file
// before it takes that file's place. Functions return false with the last
// error set.
namespace ostrel::platform::windows {

// Fills data from the open file (READ_CONTROL needed) and its attributes as
// read with it. A volume that keeps no security (FAT) leaves the descriptor
// empty.
bool readAccess(HANDLE file, DWORD attributes, FileAccessData& data);

// Gives the open file (WRITE_DAC and WRITE_OWNER needed) the security
// descriptor of data exactly as read: owner, group, the DACL with its
// inherited entries and its protection from inheritance. An owner or group
// the process may not assign is left as the file has it (the process's
// user), as a POSIX process without the privilege keeps a file it cannot
// give away. Nothing to do for an empty descriptor or a volume that keeps no
// security.
bool applySecurity(HANDLE file, const FileAccessData& data);

// The attributes of data that a replacement carries (hidden, system,
// archive, not content-indexed, temporary), read-only excluded: a read-only
// file could neither be renamed into place nor removed on failure.
DWORD carriedAttributes(const FileAccessData& data);

// Sets the file's attributes to exactly attributes (FILE_ATTRIBUTE_NORMAL
// when none), leaving its times alone.
bool setAttributes(HANDLE file, DWORD attributes);

// The security of a private new file: only the process's user may use it,
// nothing is inherited from the directory. Null when the process's user
// cannot be read; the file then gets the directory's inherited security.
SECURITY_ATTRIBUTES* privateFileSecurity();

}  // namespace ostrel::platform::windows

#endif
