#include "formats/dirax_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/cell_record.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace formats {
namespace {

using unittest::bar;
using unittest::MemoryRun;

const std::string kMemoryEnd = " !! Error: end of data in a read from a memory record";

// The fields the scanner may set.
struct WantedCell {
  float a, b, c, alpha, beta, gamma, volume;
  std::string lattice;
  std::string system;  // without its padding
};

// What a scan starts from: the fields a scan leaves alone keep these.
const WantedCell kBefore{0, 0, 0, 0, 0, 0, 0, " ", ""};

void expect_cell(const formats::CellRecord& cell, const WantedCell& expected) {
  EXPECT_FLOAT_EQ(expected.a, cell.a);
  EXPECT_FLOAT_EQ(expected.b, cell.b);
  EXPECT_FLOAT_EQ(expected.c, cell.c);
  EXPECT_FLOAT_EQ(expected.alpha, cell.alpha);
  EXPECT_FLOAT_EQ(expected.beta, cell.beta);
  EXPECT_FLOAT_EQ(expected.gamma, cell.gamma);
  EXPECT_FLOAT_EQ(expected.volume, cell.volume);
  EXPECT_EQ(bar(expected.lattice), bar(cell.lattice));
  std::string system = textrec::blank_text(16);
  textrec::set_text(system, expected.system);
  EXPECT_EQ(bar(system), bar(cell.system));
}

// Opens the text as the DIRAX file on its channel and scans it.
formats::CellRecord scan(MemoryRun& run, const std::string& text, formats::CellChoice choice) {
  run.fs.files["cell.out"] = text;
  textrec::open_for_reading(formats::kDiraxChannel, "cell.out");
  return formats::scan_dirax_file(choice, "cell.out");
}

std::string join(const std::vector<std::string>& lines, const std::string& eol) {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

const std::string kInputLine =
    "   {Input cell  a=   5.94488  b=   5.94488  c=   8.34520  alpha=  103.111  beta=  103.111"
    "  gamma=   61.589 }";
const std::string kConventionalLine =
    "Conventional : a=  10.21340  b=   6.08710  c=   8.34520  alpha=   90.000  beta=  105.312"
    "  gamma=   90.000   C";
const std::string kVolumeLine = "Volume :    500.404 ; System: monoclinic ;";

const std::vector<std::string> kDiraxFile = {
    "Indexing log, made up for the tests",
    "",
    "Input cell selected from the best three vectors:",
    kInputLine,
    "   Indexed : 1388 of 1400 reflections",
    "   mC  monoclinic, C-centred     fit  0.12",
    kConventionalLine,
    kVolumeLine,
    "End of indexing run.",
};

TEST(DiraxScan, BothModesOverLfAndCrLfFiles) {
  const WantedCell input{5.94488F, 5.94488F, 8.34520F, 103.111F,    103.111F,
                         61.589F,  500.404F, "C",      "monoclinic"};
  const WantedCell conventional{10.2134F, 6.0871F,  8.3452F, 90.0F,       105.312F,
                                90.0F,    500.404F, "C",     "monoclinic"};
  for (const std::string eol : {"\n", "\r\n"}) {
    for (const bool last_line_ended : {true, false}) {
      std::string text = join(kDiraxFile, eol);
      if (!last_line_ended) text.erase(text.size() - eol.size());
      SCOPED_TRACE(testing::Message()
                   << "eol " << testing::PrintToString(eol) << " ended " << last_line_ended);
      {
        MemoryRun run;
        const formats::CellRecord cell = scan(run, text, formats::CellChoice::kInput);
        expect_cell(cell, input);
        EXPECT_EQ("", run.out);
      }
      {
        MemoryRun run;
        const formats::CellRecord cell = scan(run, text, formats::CellChoice::kConventional);
        expect_cell(cell, conventional);
        EXPECT_EQ("", run.out);
      }
    }
  }
}

struct LineCase {
  const char* what;
  formats::CellChoice cell_choice;
  std::string line;
  WantedCell expected;
};

// Copies of kBefore with some fields set.
WantedCell params(float a, float b, float c, float alpha, float beta, float gamma) {
  WantedCell cell = kBefore;
  cell.a = a, cell.b = b, cell.c = c, cell.alpha = alpha, cell.beta = beta, cell.gamma = gamma;
  return cell;
}
WantedCell params_and_lattice(const char* lattice) {
  WantedCell cell = params(1, 2, 3, 4, 5, 6);
  cell.lattice = lattice;
  return cell;
}
WantedCell lattice_only(const char* lattice) {
  WantedCell cell = kBefore;
  cell.lattice = lattice;
  return cell;
}
WantedCell volume_and_system(float volume, const char* system) {
  WantedCell cell = kBefore;
  cell.volume = volume;
  cell.system = system;
  return cell;
}

TEST(DiraxScan, WhichLinesCountAndWhatTheySet) {
  const std::string in = "{Input cell a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 }";
  const std::string conv = "Conventional : a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 P";
  const std::string vol = "Volume : 12.5 ; System: cubic ;";
  const LineCase cases[] = {
      {"input cell", formats::CellChoice::kInput, in, params(1, 2, 3, 4, 5, 6)},
      {"input cell indented", formats::CellChoice::kInput, "      " + in, params(1, 2, 3, 4, 5, 6)},
      {"input cell without blanks", formats::CellChoice::kInput,
       "{Input cell a=1 b=2 c=3 alpha=4 beta=5 gamma=6}", params(1, 2, 3, 4, 5, 6)},
      {"anything after {Input cell", formats::CellChoice::kInput,
       "{Input cellular a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 }", params(1, 2, 3, 4, 5, 6)},
      {"no brace", formats::CellChoice::kInput, in.substr(1), kBefore},
      {"a character before the brace", formats::CellChoice::kInput, "x" + in, kBefore},
      {"lower case", formats::CellChoice::kInput,
       "{input cell a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 }", kBefore},
      {"input cell in conventional mode", formats::CellChoice::kConventional, in, kBefore},
      {"conventional", formats::CellChoice::kConventional, conv, params_and_lattice("P")},
      {"conventional indented", formats::CellChoice::kConventional, "   " + conv,
       params_and_lattice("P")},
      {"anything after Conventional :", formats::CellChoice::kConventional,
       "Conventional :a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 P", params_and_lattice("P")},
      {"Conventional: without the blank", formats::CellChoice::kConventional,
       "Conventional: a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 P", kBefore},
      {"Conventional: without the blank, input mode", formats::CellChoice::kInput,
       "Conventional: a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 P", kBefore},
      {"a character before Conventional", formats::CellChoice::kConventional, "*" + conv, kBefore},
      {"conventional in input mode gives the lattice only", formats::CellChoice::kInput, conv,
       lattice_only("P")},
      {"unreadable numbers in input mode", formats::CellChoice::kInput,
       "Conventional : a= ?? b= ?? c= ?? alpha= ?? beta= ?? gamma= ?? F", lattice_only("F")},
      {"a digit as the lattice", formats::CellChoice::kInput, conv.substr(0, conv.size() - 1) + "7",
       lattice_only("7")},
      {"a comma as the lattice", formats::CellChoice::kInput, conv.substr(0, conv.size() - 1) + ",",
       kBefore},
      {"a slash as the lattice", formats::CellChoice::kInput, conv.substr(0, conv.size() - 1) + "/",
       kBefore},
      {"a comma as the lattice, conventional mode", formats::CellChoice::kConventional,
       conv.substr(0, conv.size() - 1) + ",", params(1, 2, 3, 4, 5, 6)},
      {"volume", formats::CellChoice::kInput, vol, volume_and_system(12.5F, "cubic")},
      {"volume, conventional mode", formats::CellChoice::kConventional, vol,
       volume_and_system(12.5F, "cubic")},
      {"volume indented", formats::CellChoice::kInput, "  " + vol,
       volume_and_system(12.5F, "cubic")},
      {"anything after Volume", formats::CellChoice::kInput, "Volumes 2 : 12.5 ; System: cubic ;",
       volume_and_system(12.5F, "cubic")},
      {"a character before Volume", formats::CellChoice::kInput, "#" + vol, kBefore},
      {"lower case volume", formats::CellChoice::kConventional, "volume : 12.5 ; System: cubic ;",
       kBefore},
      {"the volume of the example", formats::CellChoice::kInput,
       "Volume : 315.4321 ; System: hexagonal ;", volume_and_system(315.4321F, "hexagonal")},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRun run;
    const formats::CellRecord cell = scan(run, "header\n" + c.line + "\nfooter\n", c.cell_choice);
    expect_cell(cell, c.expected);
    EXPECT_EQ("", run.out);
  }
}

TEST(DiraxScan, GammaThatEndsTheLineLosesItsLastCharacter) {
  {
    MemoryRun run;
    const formats::CellRecord cell =
        scan(run, "{Input cell a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 90.5\n",
             formats::CellChoice::kInput);
    expect_cell(cell, params(1, 2, 3, 4, 5, 90.0F));
  }
  {
    MemoryRun run;
    const formats::CellRecord cell =
        scan(run, "Conventional : a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 90.5\r\n",
             formats::CellChoice::kConventional);
    WantedCell expected = params(1, 2, 3, 4, 5, 90.0F);
    expected.lattice = "5";
    expect_cell(cell, expected);
  }
}

TEST(DiraxScan, SystemName) {
  const struct {
    std::string line;
    std::string system;  // as it stands in the 16-character field
  } cases[] = {
      {"Volume : 1 ; System: hexagonal ;", "hexagonal       "},
      {"Volume : 1 ; System:hexagonal;", "hexagonal       "},
      {"Volume : 1 ; System:orthorhombic;", "orthorhombic    "},
      {"Volume : 1 ; System: orthorhombic;", "orthorhombic    "},
      // Six blanks and twelve letters: cut after 16 characters, then left-justified.
      {"Volume : 1 ; System:      orthorhombic;", "orthorhomb      "},
      {"Volume : 1 ; System:rhombohedral-hexagonal;", "rhombohedral-hex"},
      {"Volume : 1 ; System: rhombohedral-hexagonal ;", "rhombohedral-he "},
      // The range runs to the last ";".
      {"Volume : 1 ; System: cubic ; x ;", "cubic ; x       "},
      {"Volume : 1 ; System: cubic ; extra ; more;", "cubic ; extra ; "},
      {"Volume : 1 ; System: ;", "                "},
      // No ";" after "System:": an empty range.
      {"Volume : 1 ; System: cubic", "                "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    MemoryRun run;
    const formats::CellRecord cell = scan(run, c.line + "\n", formats::CellChoice::kInput);
    EXPECT_EQ(bar(c.system), bar(cell.system));
    EXPECT_FLOAT_EQ(1.0F, cell.volume);
    EXPECT_EQ("", run.out);
  }
}

TEST(DiraxScan, TheLastLineOfEachKindWins) {
  const std::vector<std::string> lines = {
      "Conventional : a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 P",
      "Volume : 100 ; System: cubic ;",
      "{Input cell a= 11 b= 12 c= 13 alpha= 14 beta= 15 gamma= 16 }",
      "Conventional : a= 7 b= 8 c= 9 alpha= 10 beta= 11 gamma= 12 I",
      "{Input cell a= 21 b= 22 c= 23 alpha= 24 beta= 25 gamma= 26 }",
      "Volume : 200 ; System: tetragonal ;",
  };
  {
    MemoryRun run;
    const formats::CellRecord cell =
        scan(run, join(lines, "\r\n"), formats::CellChoice::kConventional);
    expect_cell(cell, {7, 8, 9, 10, 11, 12, 200, "I", "tetragonal"});
  }
  {
    MemoryRun run;
    const formats::CellRecord cell = scan(run, join(lines, "\r\n"), formats::CellChoice::kInput);
    expect_cell(cell, {21, 22, 23, 24, 25, 26, 200, "I", "tetragonal"});
  }
}

TEST(DiraxScan, MissingBLeavesATheWayItWas) {
  for (const formats::CellChoice choice :
       {formats::CellChoice::kInput, formats::CellChoice::kConventional}) {
    SCOPED_TRACE(static_cast<int>(choice));
    MemoryRun run;
    const std::string line = choice == formats::CellChoice::kInput
                                 ? "{Input cell a= 10.2 c= 8.3 alpha= 90 beta= 91 gamma= 92 }"
                                 : "Conventional : a= 10.2 c= 8.3 alpha= 90 beta= 91 gamma= 92 P";
    const formats::CellRecord cell = scan(run, line + "\n", choice);
    EXPECT_EQ(0.0F, cell.a);
    EXPECT_LT(cell.a, formats::kMinCellA);
    EXPECT_FLOAT_EQ(8.3F, cell.c);
    EXPECT_FLOAT_EQ(90.0F, cell.alpha);
    EXPECT_FLOAT_EQ(91.0F, cell.beta);
    EXPECT_FLOAT_EQ(92.0F, cell.gamma);
    const auto lines = run.console_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(kMemoryEnd, lines[0]);
    EXPECT_EQ(textrec::kExitError, textrec::worst_status());
  }
}

// An entry yields a cell unless its a is below 1.0E-4: an a of 0.0001 is one.
TEST(DiraxScan, AnAOf0Point0001GivesACell) {
  MemoryRun run;
  formats::CellRecord cell =
      scan(run, "{Input cell a= 0.0001 b= 1 c= 1 alpha= 90 beta= 90 gamma= 90 }\n",
           formats::CellChoice::kInput);
  EXPECT_TRUE(formats::has_cell(cell));
  cell.a = 0.99999E-4F;
  EXPECT_FALSE(formats::has_cell(cell));
}

// The warning names the file, the line and the text the value was read from.
TEST(DiraxScan, ACharacterThatCannotBelongToANumberIsToldWithItsLine) {
  MemoryRun run;
  const formats::CellRecord cell =
      scan(run, "DIRAX\n\nVolume :  5x0.4 ; System: cubic ;\n", formats::CellChoice::kInput);
  EXPECT_FLOAT_EQ(500.4F, cell.volume);
  EXPECT_EQ(
      (std::vector<std::string>{" !! Warning: the character \"x\" cannot belong to a number, "
                                "read as 0, in \"5x0.4\" on line 3 of cell.out",
                                "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING."}),
      run.console_lines());
}

TEST(DiraxScan, OnlyTheFirst256CharactersOfALineCount) {
  {
    // What stands beyond 256 does not end the line.
    MemoryRun run;
    std::string line = "Conventional : a= 1 b= 2 c= 3 alpha= 4 beta= 5 gamma= 6 C";
    line += std::string(299 - line.size(), ' ') + "X";
    const formats::CellRecord cell = scan(run, line + "\r\nVolume : 9 ; System: cubic ;\r\n",
                                          formats::CellChoice::kConventional);
    WantedCell expected = params_and_lattice("C");
    expected.volume = 9;
    expected.system = "cubic";
    expect_cell(cell, expected);
    EXPECT_EQ("", run.out);
  }
  {
    // A keyword beyond 256 counts as absent: "gamma=" here.
    MemoryRun run;
    std::string line = "{Input cell a= 1 b= 2 c= 3 alpha= 4 beta= 5";
    line += std::string(260 - line.size(), ' ') + "gamma= 70 }";
    const formats::CellRecord cell = scan(run, line + "\n", formats::CellChoice::kInput);
    // beta's range ends before an absent gamma: empty, beta kept; gamma's range
    // starts at position 6 ("t cell ...") and reads "t" as 0.
    expect_cell(cell, params(1, 2, 3, 4, kBefore.beta, 0.0F));
    const auto lines = run.console_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(kMemoryEnd, lines[0]);
  }
  {
    // The line is cut before it is left-justified: a keyword after 256 blanks is
    // never seen, and a line 100000 characters long does not upset the next one.
    MemoryRun run;
    const formats::CellRecord cell =
        scan(run,
             std::string(256, ' ') + "Volume : 3 ; System: cubic ;\n" + std::string(100000, 'z') +
                 "\nVolume : 4 ; System: trigonal ;\n",
             formats::CellChoice::kInput);
    expect_cell(cell, volume_and_system(4, "trigonal"));
  }
}

TEST(DiraxScan, FilesThatSetNothing) {
  const std::string cases[] = {
      "",
      "\n\n   \n",
      "\x1A"
      "Volume : 3 ; System: cubic ;\n",
      "Just a log.\r\nNothing here.\r\n",
  };
  for (const formats::CellChoice choice :
       {formats::CellChoice::kInput, formats::CellChoice::kConventional}) {
    for (const std::string& text : cases) {
      SCOPED_TRACE(testing::Message()
                   << testing::PrintToString(text) << " choice " << static_cast<int>(choice));
      MemoryRun run;
      const formats::CellRecord cell = scan(run, text, choice);
      expect_cell(cell, kBefore);
      EXPECT_EQ("", run.out);
    }
  }
}

TEST(DiraxScan, TextAfterTheEndOfFileMarkIsNeverRead) {
  MemoryRun run;
  const formats::CellRecord cell = scan(run,
                                        "Volume : 3 ; System: cubic ;\r\n\x1A"
                                        "Volume : 4 ; System: trigonal ;\r\n",
                                        formats::CellChoice::kInput);
  expect_cell(cell, volume_and_system(3, "cubic"));
}

TEST(DiraxScan, ScansFromTheFirstLineToTheEnd) {
  MemoryRun run;
  run.fs.files["cell.out"] = join(kDiraxFile, "\r\n");
  textrec::open_for_reading(formats::kDiraxChannel, "cell.out");
  // The file has been read past its cell lines already.
  std::string line = textrec::blank_text(256);
  for (int i = 0; i < 8; ++i) textrec::read_a(formats::kDiraxChannel, line);
  const WantedCell input{5.94488F, 5.94488F, 8.34520F, 103.111F,    103.111F,
                         61.589F,  500.404F, "C",      "monoclinic"};
  expect_cell(formats::scan_dirax_file(formats::CellChoice::kInput, "cell.out"), input);
  // The scan consumed the file, which is still open.
  EXPECT_EQ(textrec::kStatusEnd, textrec::read_a_with_status(formats::kDiraxChannel, line));
  // A second scan of the same file gives the same cell.
  expect_cell(formats::scan_dirax_file(formats::CellChoice::kInput, "cell.out"), input);
  EXPECT_EQ("", run.out);
}

}  // namespace
}  // namespace formats
