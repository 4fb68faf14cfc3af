#include "report/json_text.h"

#include <stdexcept>
#include <utility>

namespace report {

PointArrays::Json PointArrays::array(std::size_t n, Element element) {
  if (held_) {
    Json values = Json::array();
    values.get_ref<Json::array_t&>().reserve(n);
    for (std::size_t i = 0; i < n; ++i) values.push_back(element(i));
    return values;
  }
  // The slot: a value no document of ours holds otherwise, its subtype the
  // slot's index.
  slots_.push_back({n, std::move(element)});
  return Json::binary({}, slots_.size() - 1);
}

// As nlohmann's compact dump() writes a value: no space anywhere, keys and
// strings escaped as its dump() escapes them.
void PointArrays::write(const Json& value, std::string& out) const {
  if (value.is_object()) {
    out += '{';
    for (auto it = value.begin(); it != value.end(); ++it) {
      if (it != value.begin()) out += ',';
      out += Json(it.key()).dump();
      out += ':';
      write(it.value(), out);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    for (auto it = value.begin(); it != value.end(); ++it) {
      if (it != value.begin()) out += ',';
      write(*it, out);
    }
    out += ']';
  } else if (value.is_binary()) {
    const Slot& slot = slots_.at(value.get_binary().subtype());
    out += '[';
    for (std::size_t i = 0; i < slot.n; ++i) {
      if (i != 0) out += ',';
      out += slot.element(i).dump();
    }
    out += ']';
  } else {
    out += value.dump();
  }
}

std::string PointArrays::text(const Json& document) const {
  std::string out;
  if (held_) {
    out = document.dump();
  } else {
    write(document, out);
  }
  out += '\n';
  return out;
}

}  // namespace report
