#include "gif2frm/option_table.h"

#include <cstdio>
#include <cstring>

#include "color/color_matching.h"

// The usage text names the default colour delta.
static_assert(kDefaultColorDelta == 4, "-d='s help and default say 4");

const OptionHelp kOptionHelp[] = {
    {"-d=Value", "Set color delta to Value (default 4)", "4", true},
    {"-n", "Don't translate color tables", "", true},
    {"-x=Value", "Set shift in the X direction to Value (default 0)", "0",
     true},
    {"-y=Value", "Set shift in the Y direction to Value (default 0)", "0",
     true},
    {"-p=File",
     "Match colors against the palette in File (768 or 33536\n"
     "bytes of 6-bit RGB, .act, GIMP .gpl or JASC-PAL)",
     "", false},
    {"-m=Mode",
     "Color match: first (default: the first entry within\n"
     "the delta), nearest (the nearest entry, never fails),\n"
     "dither (error diffusion: for stills) or ordered (a fixed\n"
     "pattern on the canvas: still parts of an animation keep\n"
     "their pixels); -n keeps the GIF's indices whatever the\n"
     "mode",
     "first", false},
    {"-6",
     "The GIF holds six directions, one after another, each\n"
     "with a sixth of its images",
     "", false},
    {"-1=File",
     "Direction 1 from its own GIF; -2= to -5= the same for\n"
     "directions 2 to 5 (all five together; the input is 0, and\n"
     "every direction holds as many images)",
     "", false},
    {"-f=Value",
     "Frames per second, 0 to 65535 (default 0), or gif:\n"
     "100 / the most common delay of direction 0",
     "0", false},
    {"-a=Value",
     "The action frame, 0 to frames per direction - 1\n"
     "(default 0)",
     "0", false},
    {"-o=Path",
     "Write the FRM to Path, a file or an existing directory\n"
     "(default: the input's name with .frm, current directory)",
     "", false},
    {"-x=A,...,F", "Six shifts, one for each direction (-y= the same)", "",
     false},
    {"-h, --help", "Show this help", "", false},
};
const std::size_t kOptionHelpCount = sizeof kOptionHelp / sizeof kOptionHelp[0];

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
