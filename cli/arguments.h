// What the command lines of both programs share: the way an option is told
// from its prefix, and the help options.
#ifndef GIF2FRM_CLI_ARGUMENTS_H_
#define GIF2FRM_CLI_ARGUMENTS_H_

// Whether text begins with prefix.
bool startsWith(const char* text, const char* prefix);

// Whether the argument is -h or --help.
bool isHelpOption(const char* argument);

#endif  // GIF2FRM_CLI_ARGUMENTS_H_
