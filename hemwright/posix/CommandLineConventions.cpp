#include "hemwright/CommandLineConventions.h"

const CommandLineConventions& commandLineConventions() {
    static const CommandLineConventions conventions{
        "-",
        "Run by hand without these it rewrites the files of input.xml in the\n"
        "current directory, as the host would; try a step with hemwright-step(1)\n"
        "instead, which checks every file first.\n"
        "\n"
        "Manual: man hemwright (the program, its parameters and exit codes) and\n"
        "man hemwright-step; /usr/share/doc/hemwright/README.md.gz.\n"};
    return conventions;
}
