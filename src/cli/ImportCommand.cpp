// korvane2-cli import: the accumulated-data import of the "ＪＶデータ取込" dialog on a terminal,
// run by the same controller over this platform's JV-Link: the feed folder of the settings
// ([JvReplay] FeedDir), or the one given with --feed for this run; with --jvlink com, the
// component installed on Windows.
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>
#include <thread>

#include "Cli.h"
#include "TerminalPorts.h"
#include "workbench/AccumulatedImport.h"
#include "jvlink/ComJVLink.h"
#include "jvlink/ReplayJVLink.h"
#include "jvlink/StartupChecks.h"
#include "text/Cp932.h"
#include "workbench/FeedJVLink.h"

namespace kv::cli {

namespace {

// The dialog's lines on the terminal: every status line and the build's completion text.
// ("作成データ" changes with every record and is left out.)
class TerminalImportView : public ImportView {
 public:
  explicit TerminalImportView(std::ostream& out) : out_(out) {}
  void StatusLine(const std::string& text) override { out_ << ToUtf8(text) << '\n' << std::flush; }
  void BuildDoneLine(const std::string& text) override { out_ << ToUtf8(text) << '\n' << std::flush; }

 private:
  std::ostream& out_;
};

// The terminal's ports, with Ctrl-C standing for the cancel button: it is noticed wherever the
// import lets pending messages run.
class InterruptibleUi : public UiPort {
 public:
  explicit InterruptibleUi(UiPort& inner) : inner_(inner) {}
  AccumulatedImport* import = nullptr;
  CtrlCWatch* ctrlC = nullptr;

  void CheckInterrupt() {
    if (import && ctrlC && ctrlC->Take()) import->Cancel();
  }

  void Info(const std::string& t) override { inner_.Info(t); }
  void Warning(const std::string& t) override { inner_.Warning(t); }
  void Plain(const std::string& t) override { inner_.Plain(t); }
  bool AskYesNo(const std::string& t) override { return inner_.AskYesNo(t); }
  void Beep() override { inner_.Beep(); }
  void Status(const std::string& t) override { inner_.Status(t); }
  void ProgressShow(const std::string& h) override { inner_.ProgressShow(h); }
  void ProgressDetail(const std::string& d) override { inner_.ProgressDetail(d); }
  void ProgressBar(int p, int m) override { inner_.ProgressBar(p, m); }
  void ProgressHide() override { inner_.ProgressHide(); }
  void BusyCursor(bool on) override { inner_.BusyCursor(on); }
  void ProcessMessages() override {
    inner_.ProcessMessages();
    CheckInterrupt();
  }

 private:
  UiPort& inner_;
};

int ImportUsage(CliContext& ctx, const std::string& why) { return UsageError(ctx, why); }

}  // namespace

int CmdImport(CliContext& ctx) {
  bool setup = false, noOdds = false;
  std::string feed;
  std::optional<DateTime> from;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--setup") {
      setup = true;
    } else if (a == "--no-odds") {
      noOdds = true;
    } else if (a == "--feed" || a.starts_with("--feed=")) {
      if (a == "--feed") {
        if (i + 1 >= ctx.args.size()) return ImportUsage(ctx, "--feed needs a folder");
        feed = ctx.args[++i];
      } else {
        feed = a.substr(7);
      }
      if (feed.empty()) return ImportUsage(ctx, "--feed needs a folder");
    } else if (a == "--from" || a.starts_with("--from=")) {
      std::string text;
      if (a == "--from") {
        if (i + 1 >= ctx.args.size()) return ImportUsage(ctx, "--from needs a date");
        text = ctx.args[++i];
      } else {
        text = a.substr(7);
      }
      from = ParseFromTime(text);
      if (!from) return ImportUsage(ctx, "not a date (yyyymmddhhnnss, yyyymmdd, yyyy-mm-dd or yyyy/mm/dd [hh:nn:ss]): " + text);
    } else {
      return ImportUsage(ctx, "unknown argument: " + a);
    }
  }

  std::unique_ptr<JVLink> jv;
  if (ctx.comJVLink) {
    if (!feed.empty()) return ImportUsage(ctx, "--feed serves a feed folder; the COM JV-Link has its own data");
    jv = MakeComJVLink();
    if (!jv) {
      ctx.err << "import: the COM JV-Link exists only on Windows\n";
      return kExitFailed;
    }
  } else if (!feed.empty()) {
    fs::path p(feed);
    if (!p.is_absolute()) p = fs::absolute(p);
    if (std::error_code ec; !fs::is_directory(p, ec)) {
      ctx.err << "import: the feed folder " << p.string() << " does not exist\n";
      return kExitFailed;
    }
    jv = std::make_unique<ReplayJVLink>(PathToUtf8(p), ctx.clock);
  } else {
    if (const std::string missing = MissingFeedFolderMessage(ctx.program.settings); !missing.empty()) {
      ctx.err << "import: " << ToUtf8(missing) << '\n';
      return kExitFailed;
    }
    jv = MakeFeedJVLink(ctx.program.settings, ctx.clock);
  }
  InterruptibleUi ui(ctx.ui);
  if (!CheckJVLinkPresent(*jv, ui)) return kExitFailed;
  if (InitJVLink(*jv, ui) != 0) return kExitFailed;

  AccumulatedImport imp(ctx.program.settings, ui, ctx.clock, *jv);
  TerminalImportView view(ctx.out);
  imp.SetView(&view);
  ui.import = &imp;
  imp.Open();
  if (setup) imp.SetSetupData(true);
  if (from) imp.SetFromDate(*from);
  if (noOdds) imp.SetFinalOdds(false, /*remember=*/false);

  CtrlCWatch ctrlC;
  ui.ctrlC = &ctrlC;
  imp.Start();
  while (imp.PollTimerRunning()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kImportPollIntervalMs));
    ui.CheckInterrupt();
    imp.PollStatus();
  }
  ui.ctrlC = nullptr;

  switch (imp.GetOutcome()) {
    case AccumulatedImport::Outcome::Completed:
    case AccumulatedImport::Outcome::NothingNewer:
      return kExitOk;
    default:
      return kExitFailed;
  }
}

}  // namespace kv::cli
