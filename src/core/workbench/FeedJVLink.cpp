#include "workbench/FeedJVLink.h"

#include <system_error>

#include "jvlink/ReplayJVLink.h"
#include "text/Cp932.h"
#include "workbench/EmptyFeedJVLink.h"
#include "workbench/Workbench.h"

namespace kv {

fs::path FeedFolder(const Settings& settings) {
  const std::string text = ToUtf8(settings.ReadText(kFeedSection, kFeedKey, ""));
  if (text.empty()) return {};
  fs::path p = PathFromUtf8(text);
  return p.is_absolute() ? p : settings.ProgDir() / p;
}

std::string MissingFeedFolderMessage(const Settings& settings) {
  const fs::path feed = FeedFolder(settings);
  std::error_code ec;
  if (feed.empty() || fs::is_directory(feed, ec)) return {};
  return J("JV-Linkのデータフォルダ[") + PathToCp932(feed) + J("]が見つかりません。") + "\r\n" +
         kSettingsFileName + J("の[JvReplay] FeedDirに、JVデータのあるフォルダを指定してください。");
}

std::unique_ptr<JVLink> MakeFeedJVLink(const Settings& settings, const Clock& clock) {
  const fs::path feed = FeedFolder(settings);
  if (feed.empty()) return std::make_unique<EmptyFeedJVLink>();
  return std::make_unique<ReplayJVLink>(PathToUtf8(feed), clock);
}

}  // namespace kv
