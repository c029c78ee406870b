// The executable the host starts in a prepared working directory. It reads
// no argument and no environment variable: everything comes from input.xml.
#include "hemwright/Hemwright.h"
#include "plugin/PluginException.h"
#include "util/platform/Signals.h"

int main() {
    // A stopped step leaves no temporary file; a full disk or a closed
    // standard output fails a write instead of killing the run.
    ostrel::platform::installSignalHandling();
    try {
        Hemwright plugin;
        return plugin.run();
    } catch (const Vellamor::Plugin::PluginException&) {
        return 1;
    }
}
