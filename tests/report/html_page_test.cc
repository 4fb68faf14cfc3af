// The page's frame: its title from --title, the list's title or what it is
// of, made safe; its cells as the input gives them, minus signs U+2212.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "report/html_parts.h"

namespace {

TEST(ExpansionPage, TitleFromTheOptionOrTheList) {
  struct Case {
    std::optional<std::string> option;
    const char* list_title;
    const char* title;
    const char* subtitle;
  };
  const Case cases[] = {
      {"Lawsonite <b>", "list", "Lawsonite &lt;b&gt;", "Expansion of a.cif"},
      {std::nullopt, "MOF-5 heating", "MOF-5 heating", "Expansion of a.cif"},
      {std::nullopt, "", "Expansion of a.cif", ""},
  };
  for (const Case& c : cases) {
    report::Source source{"a.cif", {}, {}, c.list_title, {}, {}, {}};
    const report::html::PageTitle t = report::html::page_title("Expansion of", source, c.option);
    EXPECT_EQ(c.title, t.title);
    EXPECT_EQ(c.subtitle, t.subtitle);
    const std::string page = report::html::page(t, {}, {}, {});
    EXPECT_NE(std::string::npos, page.find("<title>" + t.title + "</title>")) << page;
    EXPECT_NE(std::string::npos, page.find("<h1>" + t.title + "</h1>")) << page;
  }
}

// The cells table: each value as the input gives it while its text reads
// back to the value held; a text that no longer does (a value the program
// replaced) and a value without one by the one rule; the volume computed.
TEST(ExpansionPage, CellsAsTheInputGivesThem) {
  crystal::CellEntry e;
  e.source = "c60.cif";
  e.pressure = 0.19;
  e.pressure_su = 1;
  e.cell = {16.119, 16.119, 16.119, 90, 90, 90};
  e.su.a = 0.002;
  e.su.b = 0.002;
  e.given.set(0, {"16.119(2)", ""});
  e.given.set(1, {"16.1190(20)", ""});
  e.given.set(2, {"16.2", ""});  // stale: the cell holds 16.119
  e.given.set(4, {"-9.0e1", ""});
  e.cell.beta = -90;  // no cell, but a sign to show
  e.given.set(crystal::GivenTexts::kPressure, {"0.190", "1"});
  const report::Source source{"c60.cif", {}, {e}, {}, {}, {}, {}};
  const std::string page =
      report::html::cells_section(source, crystal::Abscissa::kPressure, "p", {4188.1}, nullptr);
  for (const char* want :
       {"data-value=\"0.19\">0.190 &plusmn; 1<", "data-value=\"16.119\">16.119(2)<",
        "data-value=\"16.119\">16.1190(20)<",
        "data-key=\"cells.0.c\" data-value=\"16.119\">16.119<", "data-value=\"-90\">\u22129.0e1<",
        "data-value=\"90\">90<",
        "<td class=\"computed\" data-key=\"volume.values.0\" data-value=\"4188.1\">4188.100<"})
    EXPECT_NE(std::string::npos, page.find(want)) << want << "\n" << page;
}

}  // namespace
