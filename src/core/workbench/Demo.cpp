#include "workbench/Demo.h"

#include <chrono>
#include <system_error>
#include <thread>

#include "app/ProgramFolders.h"
#include "workbench/AccumulatedImport.h"
#include "text/Cp932.h"
#include "text/Format.h"
#include "workbench/FeedJVLink.h"
#include "workbench/Workbench.h"

namespace kv {

namespace {

constexpr const char* kTimeseriesSection = "Dir";
constexpr const char* kTimeseriesKey = "jikeiretu";

// The import's ports for the demo: everything goes to the user as usual, except
// - the start notice, which becomes the progress window's detail line (the demo imports on its
//   own, so there is nobody to close a box first);
// - letting pending messages run, which the read loop asks for before every record: a few
//   hundred thousand times for the demo's two years. Once every 20 ms keeps the windows painted
//   and costs a fraction of the time.
class DemoImportUi : public ForwardingUi {
 public:
  using ForwardingUi::ForwardingUi;

  void Info(const std::string& t) override {
    static const std::string kNotice = J("以降のデータ取込を開始します。");
    if (const size_t at = t.find(kNotice); at != std::string::npos) {
      inner_.ProgressDetail(t.substr(0, at + kNotice.size()));
      return;
    }
    inner_.Info(t);
  }
  void ProcessMessages() override {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(20)) return;
    last_ = now;
    inner_.ProcessMessages();
  }

 private:
  std::chrono::steady_clock::time_point last_{};
};

// The import dialog's lines and bars in the progress window: the status line as the detail,
// the bar that moves as the bar.
class DemoImportView : public ImportView {
 public:
  explicit DemoImportView(UiPort& ui) : ui_(ui) {}

  void StatusLine(const std::string& text) override { ui_.ProgressDetail(text); }
  void Bar(ImportBar bar, int position, int maximum) override {
    // The controller resets the bars it is done with to 0; only a bar that moves, or the one
    // just begun, is shown.
    if (position <= 0 && bar == shown_) return;
    if (bar != shown_ && bar == ImportBar::PastRun) {
      static const std::string kBuilding = J("過去データ構築中．．．");
      ui_.ProgressDetail(kBuilding);
    }
    shown_ = bar;
    ui_.ProgressBar(position, maximum);
  }

 private:
  UiPort& ui_;
  ImportBar shown_ = ImportBar::Download;
};

std::string Yyyymmdd(const DateTime& t) { return Fmt("%04d%02d%02d", t.year, t.month, t.day); }

// Writes a setting; a failure is shown and the step goes on (it is merely repeated next time).
void Remember(Settings& settings, UiPort& ui, std::string_view section, std::string_view key, std::string_view value) {
  if (FileResult r = settings.WriteText(section, key, value); !r) ui.Warning(ToCp932(r.error));
}

}  // namespace

bool PrepareDemoFolder(const fs::path& prog, UiPort& ui) {
  ProgramFolders folders;
  if (FileResult r = CreateProgramFolders(prog, folders); !r) {
    ui.Warning(ToCp932(r.error));
    return false;
  }
  for (const char* sub : {kDemoFeedFolder, kDemoTimeseriesFolder}) {
    std::error_code ec;
    fs::create_directories(folders.prog / sub, ec);
    if (ec) {
      ui.Warning(ToCp932("cannot create " + (folders.prog / sub).string() + ": " + ec.message()));
      return false;
    }
  }
  Settings settings(folders.prog);
  if (FileResult r = settings.Load(); !r) {
    ui.Warning(ToCp932(r.error));
    return false;
  }
  FileResult r;
  if (settings.ReadText(kFeedSection, kFeedKey, "").empty()) r = settings.WriteText(kFeedSection, kFeedKey, kDemoFeedFolder);
  if (r && settings.ReadText(kTimeseriesSection, kTimeseriesKey, "").empty())
    r = settings.WriteText(kTimeseriesSection, kTimeseriesKey, ToCp932((folders.prog / kDemoTimeseriesFolder).string()));
  if (!r) {
    ui.Warning(ToCp932(r.error));
    return false;
  }
  return true;
}

bool DemoSetUpPending(const Settings& settings) { return !settings.ReadBool(kDemoSection, kDemoImportedKey, false); }

DemoSetUp SetUpDemo(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv, const DemoFeedWriter& writer) {
  if (!DemoSetUpPending(settings)) return DemoSetUp::AlreadyDone;
  const fs::path feed = FeedFolder(settings);
  if (feed.empty()) {
    ui.Warning(J("デモ用のJV-Linkデータフォルダが設定されていません。"));
    return DemoSetUp::Failed;
  }

  // The feed, unless a complete one is there already.
  std::error_code ec;
  const bool feedMade = !settings.ReadText(kDemoSection, kDemoFeedDayKey, "").empty() &&
                        fs::is_directory(feed / "RACEDIFN", ec);
  if (!feedMade) {
    DemoFeedRequest request;
    request.feed = feed;
    const std::string ts = ToUtf8(settings.ReadText(kTimeseriesSection, kTimeseriesKey, ""));
    request.timeseries = ts.empty() ? settings.ProgDir() / kDemoTimeseriesFolder : PathFromUtf8(ts);
    request.today = clock.Now();
    const DateTime& t = request.today;
    ui.ProgressShow(J("デモ用のJVデータを作成しています．．．"));
    ui.ProgressDetail(J("過去２年分の開催と本日(") + Fmt("%04d/%02d/%02d", t.year, t.month, t.day) + J(")の開催"));
    ui.ProgressBar(0, 0);
    ui.BusyCursor(true);
    ui.ProcessMessages();
    std::string error;
    const bool written = writer(request, error);
    ui.BusyCursor(false);
    if (!written) {
      ui.ProgressHide();
      ui.Warning(J("デモ用のJVデータを作成できませんでした。") + "\r\n" + ToCp932(error));
      return DemoSetUp::Failed;
    }
    Remember(settings, ui, kDemoSection, kDemoFeedDayKey, Yyyymmdd(t));
  }

  // The import, as the first use of the import dialog runs it.
  ui.ProgressShow(J("デモ用のJVデータを取り込んでいます．．．"));
  ui.ProgressBar(0, 0);
  ui.ProcessMessages();
  DemoImportUi importUi(ui);
  DemoImportView view(ui);
  AccumulatedImport imp(settings, importUi, clock, jv);
  imp.SetView(&view);
  imp.Open();
  imp.Start();
  while (imp.PollTimerRunning()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kImportPollIntervalMs));
    ui.ProcessMessages();
    imp.PollStatus();
  }
  imp.SetView(nullptr);
  ui.ProgressHide();

  // Nothing newer after an import that completed before (the remembering failed then) is done
  // too; on a first import it means the feed holds nothing, which the controller has shown.
  const bool done = imp.GetOutcome() == AccumulatedImport::Outcome::Completed ||
                    (imp.GetOutcome() == AccumulatedImport::Outcome::NothingNewer &&
                     !settings.ReadText(kImportSection, kImportLastTimeKey, "").empty());
  if (!done) return DemoSetUp::Failed;
  if (FileResult r = settings.WriteBool(kDemoSection, kDemoImportedKey, true); !r) ui.Warning(ToCp932(r.error));
  return DemoSetUp::Done;
}

}  // namespace kv
