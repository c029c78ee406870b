// The executable the host starts in a prepared working directory. It reads
// no argument and no environment variable: everything comes from input.xml.
#include "hemwright/Hemwright.h"
#include "plugin/PluginException.h"

int main() {
    try {
        Hemwright plugin;
        return plugin.run();
    } catch (const Vellamor::Plugin::PluginException&) {
        return 1;
    }
}
