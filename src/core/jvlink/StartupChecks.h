#pragma once
// The checks made on JV-Link when the program starts: is it installed, does it accept the
// program, is it new enough. Everything the user is told goes through the UiPort.
#include <string>
#include <string_view>

#include "jvlink/JVLink.h"
#include "app/Ports.h"

namespace kv {

// The oldest JV-Link version the program works with, as the component reports it.
inline constexpr const char* kMinJVLinkVersion = "0490";

// Run before any window exists. False when JV-Link is not installed: the user has been told,
// and the caller ends the program at once.
bool CheckJVLinkPresent(const JVLink& jv, UiPort& ui);

// Run when the main window is first shown: JVInit with kJVSoftwareId, then the version check.
// Returns JVInit's result; the program goes on whatever it is.
int InitJVLink(JVLink& jv, UiPort& ui);

// The version as shown to the user: characters 2, 3 and 4 joined by "." ("0490" -> "4.9.0").
std::string JVLinkVersionDisplay(std::string_view version);

}  // namespace kv
