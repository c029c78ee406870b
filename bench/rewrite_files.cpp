// Benchmark driver: rewrites the files named on the command line the way the
// host's call would, through Hemwright::process with an in-memory context,
// without reading input.xml or writing output.xml.
//
//   rewrite_files [--prefix TEXT] [--suffix TEXT] FILE...
//
// Exits 0 on success, 1 with the failure message on standard error.
#include "hemwright/Hemwright.h"
#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginInput.h"
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PluginException.h"
#include "util/CrException.h"

#include <iostream>
#include <string>

using namespace Vellamor::Plugin;

int main(int argc, char** argv) {
    std::string prefix;
    std::string suffix;
    PipelineInputFilesImpl files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "--prefix" || argument == "--suffix") && i + 1 < argc) {
            (argument == "--prefix" ? prefix : suffix) = argv[++i];
        } else {
            files.add(PipelineInputFileImpl(argument));
        }
    }
    try {
        auto parameters = createDataElements();
        parameters->add(*createDataElement("DataToPrepend", prefix, DataType::String));
        parameters->add(*createDataElement("DataToAppend", suffix, DataType::String));
        PipelinePluginContextImpl context;
        context.setDataElements(*parameters);
        PipelinePluginInputImpl input;
        input.setInputFiles(files);
        PipelinePluginOutputImpl output;
        return Hemwright().process(input, output, context);
    } catch (const PluginException& failure) {
        std::cerr << failure.getMessage() << std::endl;
    } catch (const ostrel::CrException& failure) {
        std::cerr << failure.getMessage() << std::endl;
    }
    return 1;
}
