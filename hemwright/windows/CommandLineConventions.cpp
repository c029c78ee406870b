#include "hemwright/CommandLineConventions.h"

// Windows programs take options after "/" as well as "-"; the operator's
// manual is the README.txt shipped beside the program.
const CommandLineConventions& commandLineConventions() {
    static const CommandLineConventions conventions{
        "-/",
        "Run by hand without these it rewrites the files of input.xml in the\n"
        "current folder, as the host would; try-example.cmd beside hemwright.exe\n"
        "runs it on a copy of the example working folder instead.\n"
        "\n"
        "Manual: README.txt beside hemwright.exe (the parameters, the exit codes\n"
        "and the deployment checklist).\n"};
    return conventions;
}
