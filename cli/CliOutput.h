#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

namespace quorvane::cli {

// Prints the JSON indented by two. Texts that are not valid UTF-8 (a model or a
// name as a device or a disk stores it) get U+FFFD for each bad byte instead of
// failing the whole output.
void PrintJson(std::ostream& out, const nlohmann::json& value);

// A text from a disk or a device made safe for a terminal: control characters
// (C0 but the tab, DEL, C1) and bytes that are not UTF-8 are shown as \xHH, so
// that they can neither move the cursor nor recolour the terminal.
std::string TerminalText(std::string_view text);

} // namespace quorvane::cli
