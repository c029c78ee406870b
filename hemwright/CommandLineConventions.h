#ifndef HEMWRIGHT_COMMANDLINECONVENTIONS_H
#define HEMWRIGHT_COMMANDLINECONVENTIONS_H

// What differs between the platforms when hemwright answers a person at the
// command line. One implementation per platform (posix/, windows/), chosen
// by the build.
struct CommandLineConventions {
    // The characters an option begins with: an argument that begins with
    // one of them is an option, never a plain word.
    const char* optionCharacters;
    // The help's closing paragraphs: how to try a step by hand and where
    // the operator's manual is on this platform.
    const char* manualText;
};

const CommandLineConventions& commandLineConventions();

#endif
