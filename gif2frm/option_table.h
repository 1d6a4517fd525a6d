// Every option of gif2frm as the help shows it, in the order it shows them:
// the one description that --help prints and that the page builds its form
// from (web/program_entries.cpp hands it to the page's script).
#ifndef GIF2FRM_CONVERTER_OPTION_TABLE_H_
#define GIF2FRM_CONVERTER_OPTION_TABLE_H_

#include <cstddef>
#include <cstdint>

// What kind of field a form shows for an option.
enum class OptionField : std::uint8_t {
  FromFlag,  // told by the flag: "-c" a switch, "-p=File" a file, else text
  Switch,    // given or not: "-n"
  Number,    // a whole number: "-d=Value"
  Text,      // any value: "-f=Value" (a number or gif)
  Choice,    // one of choices: "-m=Mode"
  File,      // the name of a file that goes with the input: "-p=File"
  None,      // no field: help, the output path, a second line of help for
             // an option shown above
};

struct OptionHelp {
  const char* flag;  // as the help shows it: "-d=Value", "-n", "-h, --help"
  // What it does, one help line per line; '\n' separates them.
  const char* text;
  // What a form field for it starts with when the option is not given
  // ("4", "first"); empty for options without such a value.
  const char* defaultValue;
  bool inUsage;  // one of the options that the usage text lists
  // For a form: the kind of field, a short name for it ("color delta"; empty:
  // the flag alone names it) and a choice's values, comma-separated.
  OptionField field = OptionField::FromFlag;
  const char* label = "";
  const char* choices = "";
};

extern const OptionHelp kOptionHelp[];
extern const std::size_t kOptionHelpCount;

// The kind of form field for option, FromFlag resolved.
OptionField optionField(const OptionHelp& option);

// The name a form knows the kind by: "switch", "number", "text", "choice",
// "file" or "none".
const char* optionFieldName(OptionField field);

// The option's help lines: two spaces, the flag, tabs up to the text's
// column, and each further line of the text indented to that column.
void printOptionHelp(const OptionHelp& option);

#endif  // GIF2FRM_CONVERTER_OPTION_TABLE_H_
