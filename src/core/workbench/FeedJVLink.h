#pragma once
// The JV-Link instance of a workbench on this platform. Its data come from a feed folder (the
// setting JvReplay/FeedDir, an absolute path or one relative to the program folder).
#include <memory>
#include <string>

#include "app/Files.h"
#include "app/Settings.h"
#include "jvlink/JVLink.h"
#include "app/Ports.h"

namespace kv {

// The feed folder named by the settings (empty when none is set).
fs::path FeedFolder(const Settings& settings);

// The message for the user (CP932) when a feed folder is set but is not there, else empty.
// Without its folder the JV-Link finds no data, and every import would only answer that there
// is nothing newer.
std::string MissingFeedFolderMessage(const Settings& settings);

// The JV-Link that serves the feed folder of the settings as of clock's time (the clock must
// outlive it). A folder that is set but missing is still served: it is looked at again by every
// open, so a feed written after the start (the demo's) is found. Without a feed folder setting,
// a JV-Link without data (opens answer that there is nothing newer).
std::unique_ptr<JVLink> MakeFeedJVLink(const Settings& settings, const Clock& clock);

}  // namespace kv
