// The page's frame: its title from --title, the list's title or what it is
// of, made safe; its numbers with the minus sign U+2212.
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

TEST(ExpansionPage, NumbersWithTheMinusSign) {
  const std::pair<const char*, const char*> cases[] = {
      {"-6.43(64)", "\u22126.43(64)"}, {"-.5", "\u2212.5"},    {"1e-05", "1e\u221205"},
      {"12.5(3)", "12.5(3)"},          {"&ndash;", "&ndash;"},
  };
  for (const auto& [shown, want] : cases) EXPECT_EQ(want, report::html::page_number(shown));
  EXPECT_NE(std::string::npos,
            report::html::plain_cell("x", -0.25, 2).find("data-value=\"-0.25\">\u22120.25<"));
}

}  // namespace
