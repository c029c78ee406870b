#ifndef OSTREL_XML_FILEHANDLEINPUTSOURCE_H
#define OSTREL_XML_FILEHANDLEINPUTSOURCE_H

#include "util/platform/FileHandle.h"

#include <xercesc/sax/InputSource.hpp>

#include <string>

namespace ostrel::xml {

// A document for the parser, read through a file the caller has already
// opened instead of through its path. The parser never turns the name into
// a URL or opens it itself, so a path in any byte encoding works (a folder
// named in Latin-1, say), and what it reads is exactly the file the caller
// opened and checked.
//
// The system identifier, which the parser's messages name, is the path as
// the caller gave it (bytes that are not UTF-8 shown as Latin-1 characters).
// One parse only: the parser reads the file from where it stands to its end.
// The source owns the file and must outlive the parse.
class FileHandleInputSource final : public xercesc::InputSource {
public:
    // file may be closed (its open failed): the parser then reports that it
    // cannot open the document, naming systemId.
    FileHandleInputSource(platform::FileHandle file, const std::string& systemId);

    // A new stream over the file, owned by the parser; nullptr when the file
    // is not open. A read failure during the parse raises the parser's own
    // read exception, with the system's reason, which ends the parse as a
    // fatal error.
    xercesc::BinInputStream* makeStream() const override;

private:
    // The parser asks for the stream through a const member.
    mutable platform::FileHandle file_;
};

}  // namespace ostrel::xml

#endif
