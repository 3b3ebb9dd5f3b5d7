#include "workbench/FeedJVLink.h"

#include "text/Cp932.h"
#include "workbench/EmptyFeedJVLink.h"
#include "workbench/Workbench.h"

namespace kv {

fs::path FeedFolder(const Settings& settings) {
  const std::string text = ToUtf8(settings.ReadText(kFeedSection, kFeedKey, ""));
  if (text.empty()) return {};
  fs::path p(text);
  return p.is_absolute() ? p : settings.ProgDir() / p;
}

std::unique_ptr<JVLink> MakeFeedJVLink(const Settings& settings) {
  // The replay reader of FeedFolder(settings) is created here once it is part of the program;
  // until then every workbench gets the JV-Link without data.
  (void)settings;
  return std::make_unique<EmptyFeedJVLink>();
}

}  // namespace kv
