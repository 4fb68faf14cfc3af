// A picture of this library made an element of an HTML page. A standalone
// SVG document carries an XML declaration, its namespace, a style sheet whose
// rules name elements and classes of the whole document, and ids (clip paths,
// markers) that are unique within it. Set into a page beside other pictures,
// each of those would reach the page or another picture: a rule "text { }"
// restyles the page's text, two pictures' "clip" ids collide. Inlined, the
// picture keeps them to itself: its rules are prefixed with the id of the
// element that holds it, its ids and their references with that id and "-".
#pragma once

#include <string>
#include <string_view>

namespace chart {

// The SVG document without its XML declaration and namespace attribute (the
// HTML parser gives the namespace), its style rules confined to the element
// of id `scope`, its ids and references to them prefixed with `scope` + "-".
[[nodiscard]] std::string inline_svg(std::string_view svg, std::string_view scope);

// The rules of a style sheet with every selector confined to the element of
// id `scope`; an at-rule is kept as it is.
[[nodiscard]] std::string scoped_style(std::string_view css, std::string_view scope);

}  // namespace chart
