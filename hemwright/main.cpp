// The executable the host starts in a prepared working directory. It reads
// no argument and no environment variable: everything comes from input.xml.
// Only an operator's lone --help or --version is answered instead.
#include "hemwright/Hemwright.h"
#include "hemwright/InformationRequest.h"
#include "plugin/PluginException.h"

#include <iostream>

int main(int argc, char* argv[]) {
    if (const auto answered = answerInformationRequest(argc, argv, std::cout)) return *answered;
    try {
        Hemwright plugin;
        return plugin.run();
    } catch (const Vellamor::Plugin::PluginException&) {
        return 1;
    }
}
