#pragma once
// The JV-Link instance of a workbench on this platform. Its data come from a feed folder (the
// setting JvReplay/FeedDir, an absolute path or one relative to the program folder).
#include <memory>

#include "app/Files.h"
#include "app/Settings.h"
#include "jvlink/JVLink.h"

namespace kv {

// The feed folder named by the settings (empty when none is set).
fs::path FeedFolder(const Settings& settings);

// The JV-Link that serves the feed folder of the settings; without a usable feed folder, an
// empty one (opens answer that there is nothing newer).
std::unique_ptr<JVLink> MakeFeedJVLink(const Settings& settings);

}  // namespace kv
