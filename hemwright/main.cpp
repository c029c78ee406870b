// The executable the host starts in a prepared working directory. It reads
// no argument and no environment variable: everything comes from input.xml.
// Only an operator's lone --help or --version is answered instead.
#include "hemwright/Hemwright.h"
#include "hemwright/InformationRequest.h"
#include "plugin/PluginException.h"
#include "util/platform/Signals.h"

#include <iostream>

int main(int argc, char* argv[]) {
    // A stopped step leaves no temporary file; a full disk or a closed
    // standard output fails a write instead of killing the run.
    ostrel::platform::installSignalHandling();
    if (const auto answered = answerInformationRequest(argc, argv, std::cout)) {
        return *answered;
    }
    try {
        Hemwright plugin;
        return plugin.run();
    } catch (const Vellamor::Plugin::PluginException&) {
        return 1;
    }
}
