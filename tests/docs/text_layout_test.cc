// The four texts the program carries: their size, their layout, the lines they must hold word for
// word and in order, and their section headings.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "docs/doc_text.h"
#include "frontend/console_text.h"

namespace kvr {
namespace {

using testing::Lines;
using testing::lines_of;

struct TextCase {
  const char* name;
  const char* const* list;
  std::size_t line_count;
  const char* first;
  const char* last;
};

const TextCase kTexts[] = {
    {"brief help", kBriefHelpLines, 27,
     "  KVRBUILD is used to build and explain scan-path descriptions.",
     "       This analyses a database file."},
    {"manual", kManualLines, 244, "NAME", "THIS IS THE END OF THIS DOCUMENT"},
    {"brief information", kBriefInformationLines, 46,
     "CLASS IDENTIFIERS FOR VERSION 2 BOARD CONFIGURATION FILES",
     "  exactly that many hexadecimal digits for a device identifier."},
    {"verbose information", kVerboseInformationLines, 1049,
     "A DESCRIPTION OF BOARD CONFIGURATION FILES", "THIS IS THE END OF THIS DOCUMENT"},
};

// The texts are printed on 80-column consoles and read as plain files: at most 79 printable ASCII
// characters a line, no trailing blanks.
TEST(DocsTextShape, EachTextHasItsLineCountEndsAndPlainLines) {
  for (const TextCase& text : kTexts) {
    const Lines lines = lines_of(text.list);
    ASSERT_EQ(lines.size(), text.line_count) << text.name;
    EXPECT_EQ(lines.front(), text.first);
    EXPECT_EQ(lines.back(), text.last);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      SCOPED_TRACE(std::string(text.name) + ", line " + std::to_string(i + 1) + ": " + line);
      EXPECT_LE(line.size(), 79u);
      EXPECT_TRUE(line.empty() || line.back() != ' ');
      for (char c : line) EXPECT_TRUE(c >= ' ' && c <= '~') << static_cast<int>(c);
    }
  }
}

TEST(DocsTextContent, BriefHelpIsExactlyTheFixedText) {
  EXPECT_EQ(lines_of(kBriefHelpLines),
            (Lines{
                "  KVRBUILD is used to build and explain scan-path descriptions.",
                "",
                "  It is version `3.3.12' that was compiled on `Nov 11 2002'.",
                "  It is compatible with Release-3 of the Orbis-Core stack.",
                "",
                "  Its documentation is obtained with:",
                "    `kvrbuild -h'         <- List the brief help - just these paragraphs.",
                "    `kvrbuild -vh | more' <- List the verbose help - the whole manual!",
                "",
                "  Its extra information is obtained with:",
                "    `kvrbuild -i'         <- List the brief info' on device family names",
                "                             usable in version 2 format board configure files.",
                "    `kvrbuild -vi | more' <- List the verbose info' on the version 2 format",
                "                             board configure files and configure variables.",
                "",
                "  Its minimal command is:",
                "    `kvrbuild'",
                "       This uses a configure file named `board.cfg' to generate a database",
                "       file named `board.dat' using the new format with configure variables.",
                "",
                "  Its typical commands are:",
                "    `kvrbuild -g[1|2] [filename.cfg [filename.dat]]'",
                "       This generates a database file from a configure file.",
                "    `kvrbuild -p [filename.cfg]'",
                "       This parses a configure file.",
                "    `kvrbuild -a [filename.dat]'",
                "       This analyses a database file.",
            }));
}

// The brief information is the verbose information's class identifier section under a title.
TEST(DocsTextContent, BriefInformationIsExactlyTheClassIdentifierList) {
  const Lines brief = lines_of(kBriefInformationLines);
  EXPECT_EQ(brief, (Lines{
                       "CLASS IDENTIFIERS FOR VERSION 2 BOARD CONFIGURATION FILES",
                       "",
                       "  Here is the list of the acceptable class ID's (device family names)",
                       "  for use in version 2 format board configuration files.",
                       "  The device family names cannot be abbreviated.",
                       "",
                       "  GENERICnnn   Any device with a JTAG IR length of 0x1-0x400.",
                       "               These device families do need custom device drivers.",
                       "",
                       "  BYPASSnnn    Any device with a JTAG IR length of 0x1-0x400.",
                       "  ASPaaa       The QV8990 Addressable Scan Port (ASP) devices.",
                       "  SPL          The QV8996 Scan Path Linker (SPL) devices.",
                       "  DBM          The QV8994 Digital Bus Monitor (DBM) devices.",
                       "               These device families don't need device drivers.",
                       "",
                       "  QV760M56xxx - The Lumen 8-bit micro-controller devices",
                       "  QV760M14xxx - The Lumen 16-bit micro-controller devices",
                       "",
                       "  QV740WK9x   - The WK9X DSP devices with an 8-bit JTAG IR",
                       "  QV740K2x    - The K2X DSP devices with an 8-bit JTAG IR",
                       "  QV740K8x    - The K8X DSP devices with an 8-bit JTAG IR",
                       "  QV740K6x    - The K6X DSP devices with an 8-bit JTAG IR",
                       "",
                       "  QVARM7xx    - The ARM-7 embedded micros with a 4-bit JTAG IR",
                       "  QVARM9xx    - The ARM-9 embedded micros with a 4-bit JTAG IR",
                       "",
                       "  QV740K75x   - The K7000 DSP devices with an 8-bit JTAG IR",
                       "  QV740K72x   - The K7000 DSP devices with an 8-bit JTAG IR",
                       "  QV740K73xx  - The K7000 DSP devices with a 38-bit JTAG IR",
                       "  QV740K76xx  - The K7000 DSP devices with a 38-bit JTAG IR",
                       "",
                       "  QV740K82x   - The K8000 DSP devices with an 8-bit JTAG IR",
                       "  QV740K82xx  - The K8000 DSP devices with an 8-bit JTAG IR",
                       "  QV740K88xx  - The K8000 DSP devices with a 38-bit JTAG IR",
                       "",
                       "  QV740K475x  - The K4000 fixed-point DSP's with an 8-bit JTAG IR",
                       "  QV740K435x  - The K4000 float-point DSP's with an 8-bit JTAG IR",
                       "  QV740K471x  - The K4000 fixed-point DSP's with a 46-bit JTAG IR",
                       "  QV740K431x  - The K4000 float-point DSP's with a 46-bit JTAG IR",
                       "  QV740K42xx  - The K4000 DSP devices with a 38-bit JTAG IR",
                       "",
                       "  The triple n's represent up-to that many hexadecimal",
                       "  digits for JTAG IR lengths.  The triple a's represent",
                       "  exactly that many hexadecimal digits for address values.",
                       "  The single, double and triple x's represent a literal 'x' or",
                       "  exactly that many hexadecimal digits for a device identifier.",
                   }));
  EXPECT_EQ(testing::section_body(lines_of(kVerboseInformationLines),
                                  "THE SCAN PATH DESCRIPTION'S CLASS IDENTIFIERS"),
            Lines(brief.begin() + 2, brief.end()));
}

TEST(DocsTextContent, ManualHoldsItsFixedLinesInOrder) {
  const Lines lines = lines_of(kManualLines);
  std::size_t at = 0;
  for (const char* line : {
           "NAME",
           "  KVRBUILD - A utility used to build and explain scan-path descriptions.",
           "SYNOPSIS",
           "  kvrbuild [-vh] [-vi]",
           "           [-e name] [-o [file name]] [-f file]",
           "           [-g[1|2] [board.cfg [board.dat]]",
           "           [-p[1|2] [board.cfg]]",
           "           [-a [board.dat]]",
           "GENERAL",
           "  It is version `3.3.12' that was compiled on `Nov 11 2002'.",
           "  It is compatible with Release-3 of the Orbis-Core stack.",
           "    kvrreset - this is used to reset scan-controllers and scan-paths.",
           "    kvrprobe - this is used to probe (test) scan-controllers and scan-paths.",
           "    kvrerror - this is used to obtain explainations of error numbers.",
           "    kvrbuild - this is used to build and explain scan-path descriptions.",
           "DESCRIPTION",
           "MINOR OPTIONS",
           "  [-h] or [/?]",
           "  [-v] or [/v]",
           "  [-i]",
           "  [-e name]",
           "  [-o [output file]]",
           "  [-f [board configuration file]]",
           "MAJOR OPTIONS",
           "  The `-g', `-p', `-a', `-i' and `-h' options are exclusive and",
           "  cannot be combined. When none of these options are",
           "  used then the `-h' option is implied.",
           "  [-g[1|2] [board.cfg [board.dat]]",
           "  [-p[1|2] [board.cfg]]",
           "  [-a [board.dat]]",
           "EXAMPLES",
           "CONTRIBUTORS",
           "THIS IS THE END OF THIS DOCUMENT",
       }) {
    std::size_t found = at;
    while (found < lines.size() && lines[found] != line) ++found;
    EXPECT_LT(found, lines.size()) << "missing, or out of order: \"" << line << "\"";
    if (found < lines.size()) at = found + 1;
  }
}

// The headings of each text; a heading that goes on over a second, indented line is given with its
// two lines joined by '\n'.
Lines headings_of(const Lines& lines) {
  Lines headings;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!testing::is_heading(lines[i])) continue;
    headings.push_back(lines[i]);
    if (lines[i].back() == ',' && i + 1 < lines.size()) headings.back() += "\n" + lines[i + 1];
  }
  return headings;
}

const Lines kVerboseHeadings = {
    "A DESCRIPTION OF BOARD CONFIGURATION FILES",
    "THE CONTENTS",
    "THE INTRODUCTION",
    "THE LABEL",
    "THE COMMENTS",
    "THE SCAN PATH DESCRIPTION",
    "THE SCAN PATH DESCRIPTION'S CLASS IDENTIFIERS",
    "THE CONFIGURE VARIABLES",
    "THE NAMES OF CONFIGURE VARIABLES",
    "THE VALUES OF CONFIGURE VARIABLES",
    "THE CURRENTLY SUPPORTED CONFIGURATION VARIABLES",
    "THE VARIABLES [VORTA_ECOM_DRVR] AND [VORTA_ECOM_PORT]",
    "THE VARIABLE [VORTA_ECOMMODE]",
    "THE VARIABLE [VORTA_LINKDLY]",
    "THE VARIABLES [VORTA_DLYMODE] AND [VORTA_DLYSIZE]",
    "THE VARIABLES [VORTA_TDOEDGE] AND [VORTA_TDIEDGE]",
    "THE VARIABLES [VORTA_TBCONLY] AND [VORTA_EXLALSO]",
    "THE VARIABLES [VORTA_LOGMODE] AND [VORTA_LOGFILE]",
    "THE VARIABLES [VORTA_TCLK_PROGRAM] AND [VORTA_TCLK_FREQUENCY]",
    "THE VARIABLES [VORTA_PLL_PROGRAM] AND [VORTA_PLL_FREQUENCY]",
    "THE VARIABLE [VORTA_TCLK_REFERENCE]",
    "THE VARIABLE [VORTA_TCLK_LOOPCOUNT]",
    "THE VARIABLE [VORTA_TCLK_SCANTEST]",
    "THE VARIABLE [VORTA_SIZE_SCANTEST]",
    "THE VARIABLES [VORTA_SIZE_IRPATH] AND [VORTA_SIZE_DRPATH].",
    "THE VARIABLE [VORTA_BIGSCAN]",
    "THE VARIABLE [VORTA_NOAMBLE]",
    "THE VARIABLE [VORTA_CLKMODE]",
    "THE VARIABLES [VORTA_SLOWCLK], [VORTA_SLOWFRQ],\n"
    "              [VORTA_FASTCLK] AND [VORTA_AUTOCLK]",
    "THE VARIABLES [POD_DRVR] AND [POD_PORT]",
    "THE VARIABLES [POD_LOGMODE], [POD_LOGFILE] AND [POD_LOGTYPE]",
    "THE VARIABLE [POD_BLKMODE]",
    "THE VARIABLES [RESET_OPTION], [PROBE_OPTION],\n"
    "              [ERROR_OPTION] AND [BUILD_OPTION]",
    "CONTRIBUTORS",
    "THIS IS THE END OF THIS DOCUMENT",
};

TEST(DocsTextContent, EachTextHasItsSectionsInOrder) {
  EXPECT_EQ(headings_of(lines_of(kManualLines)),
            (Lines{"NAME", "SYNOPSIS", "GENERAL", "DESCRIPTION", "MINOR OPTIONS", "MAJOR OPTIONS",
                   "EXAMPLES", "CONTRIBUTORS", "THIS IS THE END OF THIS DOCUMENT"}));
  EXPECT_EQ(headings_of(lines_of(kVerboseInformationLines)), kVerboseHeadings);
}

// The contents list names every section after it, in order, in sentence case: lower-case words but
// the bracketed variable names, a two-line heading on one line, no final full stop.
TEST(DocsTextContent, VerboseContentsListTheSectionsInOrder) {
  Lines listed;
  for (const std::string& line :
       testing::section_body(lines_of(kVerboseInformationLines), "THE CONTENTS")) {
    const std::string entry = line.substr(line.find_first_not_of(' '));
    if (line.rfind("                ", 0) == 0) {
      listed.back() += " " + entry;
    } else {
      listed.push_back(entry);
    }
  }
  Lines expected;
  for (std::size_t i = 1; i + 1 < kVerboseHeadings.size(); ++i) {
    std::string heading = kVerboseHeadings[i];
    const std::size_t join = heading.find('\n');
    if (join != std::string::npos) {
      heading.replace(join, heading.find_first_not_of(' ', join + 1) - join, " ");
    }
    std::string sentence;
    bool in_name = false;
    for (std::size_t k = 0; k < heading.size(); ++k) {
      const char c = heading[k];
      in_name = c == '[' || (in_name && c != ']');
      sentence += (k == 0 || in_name || c < 'A' || c > 'Z') ? c : static_cast<char>(c - 'A' + 'a');
    }
    if (sentence.back() == '.') sentence.pop_back();
    expected.push_back(sentence);
  }
  EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace kvr
