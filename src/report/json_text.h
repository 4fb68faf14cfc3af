// A JSON document's text with its arrays of one element a point written into
// it element by element, never held whole as the document's values: a series
// of a million points holds some fifteen numbers a point, and nlohmann's tree
// of them would be many times the series itself.
//
// The writer of a document asks PointArrays for each such array. Held, it
// gives the array itself (the whole document, as a caller that wants the
// values takes it); streamed, it gives a slot that stands where the array
// belongs, and text() writes the document as nlohmann's compact dump() does,
// each slot filled with its array's elements as they are made. The two
// texts are the same bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace report {

class PointArrays {
 public:
  using Json = nlohmann::ordered_json;
  using Element = std::function<Json(std::size_t)>;

  explicit PointArrays(bool held) : held_(held) {}

  // An array of n elements, element(i) each; element is called when the
  // text is written, so what it refers to must live until then.
  [[nodiscard]] Json array(std::size_t n, Element element);

  // The document's text on one line, each slot filled, and a newline.
  [[nodiscard]] std::string text(const Json& document) const;

 private:
  struct Slot {
    std::size_t n;
    Element element;
  };
  void write(const Json& value, std::string& out) const;

  bool held_;
  std::vector<Slot> slots_;
};

}  // namespace report
