#pragma once
// The Japanese text of a JV-Link result code.
#include <string>
#include <string_view>

namespace kv {

// The message for the result code of a JV-Link operation named method ("JVOpen", "JVRead", …):
// the operation's text for the code followed by "(code)" (CP932). A code the operation's table
// does not list, or an unknown operation, gives only "(code)".
std::string JVResultMessage(std::string_view method, int code);

}  // namespace kv
