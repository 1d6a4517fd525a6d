#include "gif2frm/option_table.h"

#include <cstdio>
#include <cstring>

#include "color/color_matching.h"

// The usage text names the default colour delta.
static_assert(kDefaultColorDelta == 4, "-d='s help and default say 4");

const OptionHelp kOptionHelp[] = {
    {"-d=Value", "Set color delta to Value (default 4)", "4", true,
     OptionField::Number, "color delta"},
    {"-n", "Don't translate color tables", "", true, OptionField::Switch,
     "no translation"},
    {"-x=Value", "Set shift in the X direction to Value (default 0)", "0", true,
     OptionField::Text, "x shift"},
    {"-y=Value", "Set shift in the Y direction to Value (default 0)", "0", true,
     OptionField::Text, "y shift"},
    {"-p=File",
     "Match colors against the palette in File (768 or 33536\n"
     "bytes of 6-bit RGB, .act, GIMP .gpl or JASC-PAL)",
     "", false, OptionField::File, "palette file"},
    {"-m=Mode",
     "Color match: first (default: the first entry within\n"
     "the delta), nearest (the nearest entry, never fails),\n"
     "dither (error diffusion: for stills) or ordered (a fixed\n"
     "pattern on the canvas: still parts of an animation keep\n"
     "their pixels); -n keeps the GIF's indices whatever the\n"
     "mode",
     "first", false, OptionField::Choice, "color match",
     "first,nearest,dither,ordered"},
    {"-6",
     "The GIF holds six directions, one after another, each\n"
     "with a sixth of its images",
     "", false, OptionField::Switch, "six in one"},
    {"-1=File",
     "Direction 1 from its own GIF; -2= to -5= the same for\n"
     "directions 2 to 5 (all five together; the input is 0, and\n"
     "every direction holds as many images)",
     "", false, OptionField::File, "directions 1 to 5"},
    {"-f=Value",
     "Frames per second, 0 to 65535 (default 0), or gif:\n"
     "100 / the most common delay of direction 0",
     "0", false, OptionField::Text, "frames per second"},
    {"-a=Value",
     "The action frame, 0 to frames per direction - 1\n"
     "(default 0)",
     "0", false, OptionField::Number, "action frame"},
    {"-o=Path",
     "Write the FRM to Path, a file or an existing directory\n"
     "(default: the input's name with .frm, current directory)",
     "", false, OptionField::None, "output"},
    {"-c",
     "Trim each frame to the smallest rectangle that holds its\n"
     "visible pixels; the figure stays where it stood",
     "", false, OptionField::Switch, "trim frames"},
    {"-g=CxR",
     "The input is a sprite sheet of C columns and R rows of\n"
     "equal cells, read row by row, each cell a frame",
     "", false, OptionField::Text, "sprite sheet"},
    {"-t=Value",
     "A pixel of a true-color or indexed PNG whose alpha is\n"
     "below Value (0 to 255, default 128) is transparent",
     "128", false, OptionField::Number, "alpha threshold"},
    {"-x=A,...,F", "Six shifts, one for each direction (-y= the same)", "",
     false, OptionField::None},
    {"-h, --help", "Show this help", "", false, OptionField::None},
};
const std::size_t kOptionHelpCount = sizeof kOptionHelp / sizeof kOptionHelp[0];

OptionField optionField(const OptionHelp& option) {
  if (option.field != OptionField::FromFlag) return option.field;
  const char* equals = std::strchr(option.flag, '=');
  if (equals == nullptr) return OptionField::Switch;
  return std::strcmp(equals, "=File") == 0 ? OptionField::File
                                           : OptionField::Text;
}

const char* optionFieldName(OptionField field) {
  switch (field) {
    case OptionField::Switch:
      return "switch";
    case OptionField::Number:
      return "number";
    case OptionField::Text:
    case OptionField::FromFlag:
      return "text";
    case OptionField::Choice:
      return "choice";
    case OptionField::File:
      return "file";
    case OptionField::None:
      break;
  }
  return "none";
}

void printOptionHelp(const OptionHelp& option) {
  // Flags shorter than a tab stop leave room for a second tab.
  const char* gap = std::strlen(option.flag) + 2 < 8 ? "\t\t" : "\t";
  std::printf("  %s%s", option.flag, gap);
  for (const char* line = option.text;;) {
    const char* end = std::strchr(line, '\n');
    if (end == nullptr) {
      std::printf("%s\n", line);
      return;
    }
    std::printf("%.*s\n\t\t", static_cast<int>(end - line), line);
    line = end + 1;
  }
}
