#include "GuiSession.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdlib>

#include "Feed.h"
#include "MainWindow.h"
#include "ScreenFit.h"
#include "app/Settings.h"
#include "jvlink/StartupChecks.h"
#include "text/Cp932.h"
#include "workbench/FeedJVLink.h"

namespace kv::gui {

bool ParseGuiOptions(const QStringList& args, GuiOptions& out, QString& error) {
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--home")) {
      if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
        error = QStringLiteral("--home needs a folder");
        return false;
      }
      out.home = fs::path(args[++i].toStdString());
    } else if (a.startsWith(QLatin1String("--home="))) {
      const QString dir = a.mid(7);
      if (dir.isEmpty()) {
        error = QStringLiteral("--home needs a folder");
        return false;
      }
      out.home = fs::path(dir.toStdString());
    } else if (a == QLatin1String("--demo")) {
      out.demo = true;
    } else if (a == QLatin1String("--clock")) {
      const QStringList hm = i + 1 < args.size() ? args[i + 1].split(QLatin1Char(':')) : QStringList{};
      bool okH = false, okM = false;
      const int h = hm.size() == 2 ? hm[0].toInt(&okH) : -1;
      const int m = hm.size() == 2 ? hm[1].toInt(&okM) : -1;
      if (!okH || !okM || h < 0 || h > 23 || m < 0 || m > 59) {
        error = QStringLiteral("--clock needs a time of day as HH:MM");
        return false;
      }
      out.clock.startMinutes = h * 60 + m;
      ++i;
    } else if (a == QLatin1String("--speed")) {
      bool ok = false;
      const double speed = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0.0;
      if (!ok || speed <= 0 || speed > 10000) {
        error = QStringLiteral("--speed needs a factor above 0 (at most 10000)");
        return false;
      }
      out.clock.speed = speed;
      ++i;
    } else {
      error = QStringLiteral("unknown argument: ") + a;
      return false;
    }
  }
  if (out.demo && out.home) {
    error = QStringLiteral("--demo and --home cannot be combined");
    return false;
  }
  return true;
}

fs::path DemoProgramFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "korvane2-demo";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local/share/korvane2-demo";
  return fs::temp_directory_path() / "korvane2-demo";
}

bool PrepareDemo(const fs::path& prog, UiPort& ui) { return PrepareDemoFolder(prog, ui); }

bool WriteDemoFeed(const DemoFeedRequest& request, std::string& error) {
  const sim::Date today{request.today.year, request.today.month, request.today.day};
  sim::FeedStats stats;
  return sim::GenerateFeed(sim::DemoFeedOptions(request.feed.string(), today, request.timeseries.string()), stats,
                           error);
}

GuiSession::GuiSession(fs::path progDir, UiPort* ui, const ClockOptions& clock)
    : progDir_(std::move(progDir)), ui_(ui ? ui : &qtUi_), clockOptions_(clock) {
  if (clock.Simulated()) {
    DateTime start = localClock_.Now();
    if (clock.startMinutes) {
      start.hour = *clock.startMinutes / 60;
      start.minute = *clock.startMinutes % 60;
      start.second = start.msec = 0;
    }
    simulatedClock_ = std::make_unique<SimulatedClock>(localClock_, start, clock.speed);
    clock_ = simulatedClock_.get();
  }
  Settings settings(progDir_);
  (void)settings.Load();  // a problem with the file is reported by the workbench's start-up
  jv_ = MakeFeedJVLink(settings, *clock_);
  wb_ = std::make_unique<Workbench>(progDir_, *ui_, *clock_, *jv_, desktop_);
}

GuiSession::~GuiSession() {
  window_.reset();
}

bool GuiSession::Start() {
  if (!CheckJVLinkPresent(*jv_, *ui_)) return false;
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
  if (!wb_->Start()) return false;
  if (const std::string missing = MissingFeedFolderMessage(wb_->GetSettings()); !missing.empty()) ui_->Warning(missing);
  window_ = std::make_unique<MainWindow>(*wb_, ui_ == &qtUi_ ? &qtUi_ : nullptr);
  window_->PlaceFromSettings();
  if (clockOptions_.Simulated()) window_->ShowSimulatedClock(clockOptions_.speed);
  return true;
}

bool GuiSession::SetUpDemo(const DemoFeedWriter& writer) {
  if (!DemoSetUpPending(wb_->GetSettings())) return true;
  wb_->OnShown();  // JV-Link is initialised before the import opens it
  window_->setEnabled(false);
  const DemoSetUp result = kv::SetUpDemo(wb_->GetSettings(), *ui_, *clock_, *jv_, writer);
  window_->setEnabled(true);
  if (result != DemoSetUp::Done) return false;
  wb_->BuildDayList();
  static const std::string kReady = J("デモ用データの準備ができました。日付を選んでください。");
  ui_->Status(kReady);
  return true;
}

bool SetUpApplication(QApplication& app) {
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
  // Fusion draws the grids' heading colours, which the platform styles may ignore.
  QApplication::setStyle(QStringLiteral("Fusion"));
  InstallScreenFit(app);
  auto* qt = new QTranslator(&app);
  if (!qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return false;
  QApplication::installTranslator(qt);
  return true;
}

int RunWorkbench(int argc, char** argv) {
  IgnoreFileSizeSignal();  // a full file-size limit fails the write with a message, not the program
  QApplication app(argc, argv);
  // Without the translations installed the standard buttons stay in English; the program runs.
  (void)SetUpApplication(app);
  GuiOptions options;
  QString error;
  if (!ParseGuiOptions(app.arguments().mid(1), options, error)) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kProgramTitle),
                          error + QStringLiteral("\n\nkorvane2 [--home DIR | --demo] [--clock HH:MM] [--speed N]"));
    return 2;
  }
  fs::path prog = options.demo ? DemoProgramFolder() : ChooseProgramFolder(options.home);
  if (options.demo) {
    QtUiPort ui;
    if (!PrepareDemo(prog, ui)) return 1;
  }
  GuiSession session(prog, nullptr, options.clock);
  if (!session.Start()) return 1;
  session.Window().show();
  // The demo's feed is written and imported once the window is on the screen.
  if (options.demo) QTimer::singleShot(0, &session.Window(), [&session] { session.SetUpDemo(); });
  return app.exec();
}

}  // namespace kv::gui
