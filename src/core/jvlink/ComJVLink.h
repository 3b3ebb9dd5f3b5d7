#pragma once
// JV-Link through its COM automation interface (IDispatch late binding), on Windows where the
// component is installed. COM is initialised single-threaded on the thread that first uses the
// object; every later call must come from that thread (the command line's import does so).
#include <memory>
#include <string>

#include "jvlink/JVLink.h"

namespace kv {

// The ProgID the component registers.
inline constexpr const char* kJVLinkProgId = "JVDTLab.JVLink";

// The component behind progId; nullptr on a system without COM (every one but Windows). The
// object is created on the first call: Available() is false when it is not registered.
std::unique_ptr<JVLink> MakeComJVLink(const std::string& progId = kJVLinkProgId);

}  // namespace kv
