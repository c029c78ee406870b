#ifndef HEMWRIGHT_STEP_RUNLOG_H
#define HEMWRIGHT_STEP_RUNLOG_H

#include <string>

// The run's log message as hemwright left it in output.xml (the "Log"
// element directly under "PipelinePluginOutput"; output files' own logs are
// not the run's).
struct RunLog {
    enum class State { NotWritten, Unreadable, NoMessage, Message };

    State state = State::NotWritten;
    std::string severity;  // "Information", "Warning" or "Error" when State::Message
    std::string message;   // UTF-8, when State::Message
    std::string problem;   // why the document could not be read, when State::Unreadable
};

// Reads the run's log from the output document at path with the library's
// document loader (util/xml/XmlDocumentLoader.h: nothing outside the file is
// read). Never throws for a fault of the document: a missing file is
// NotWritten, a malformed one (or one without "PipelinePluginOutput" under a
// "VellamorPlugin" root) is Unreadable with the loader's complete message.
RunLog readRunLog(const std::string& path);

#endif
