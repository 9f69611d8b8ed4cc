// The input box: a caption, one prompt line and one text box.
#pragma once
#include <string>

namespace satchel::ui {

// Modal, centred on the screen, with `value` as the box's initial text. True
// on OK, with the text in `value`.
bool InputQuery(const std::string &caption, const std::string &prompt, std::string &value);

} // namespace satchel::ui
