// Every option of gif2frm as the help shows it, in the order it shows them:
// the one description that --help prints and that the page builds its form
// from.
#ifndef GIF2FRM_CONVERTER_OPTION_TABLE_H_
#define GIF2FRM_CONVERTER_OPTION_TABLE_H_

#include <cstddef>

struct OptionHelp {
  const char* flag;  // as the help shows it: "-d=Value", "-n", "-h, --help"
  // What it does, one help line per line; '\n' separates them.
  const char* text;
  // What a form field for it starts with when the option is not given
  // ("4", "first"); empty for options without such a value.
  const char* defaultValue;
  bool inUsage;  // one of the options that the usage text lists
};

extern const OptionHelp kOptionHelp[];
extern const std::size_t kOptionHelpCount;

// The option's help lines: two spaces, the flag, tabs up to the text's
// column, and each further line of the text indented to that column.
void printOptionHelp(const OptionHelp& option);

#endif  // GIF2FRM_CONVERTER_OPTION_TABLE_H_
