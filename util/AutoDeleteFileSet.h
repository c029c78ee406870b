#ifndef OSTREL_AUTODELETEFILESET_H
#define OSTREL_AUTODELETEFILESET_H

#include <string>
#include <vector>

#include <boost/noncopyable.hpp>

namespace ostrel {

// Paths that are deleted when the set goes out of scope, on every exit path.
// Deletion is retried and finally given up with two lines on standard error;
// it never throws a CrException out of the destructor.
class AutoDeleteFileSet : private boost::noncopyable {
public:
    AutoDeleteFileSet(bool removeParentDirectories, bool enabled);
    virtual ~AutoDeleteFileSet();

    // Adds path unless an equal string is already held.
    void addFile(const std::string& path);

private:
    bool removeParentDirectories_;
    bool enabled_;
    std::vector<std::string> files_;
};

}  // namespace ostrel

#endif
