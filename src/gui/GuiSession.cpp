#include "GuiSession.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "MainWindow.h"
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

void PrepareDemo(const fs::path& prog, UiPort& ui) {
  std::error_code ec;
  fs::create_directories(prog / "feed", ec);
  Settings settings(prog);
  if (FileResult r = settings.Load(); !r) {
    ui.Warning(ToCp932(r.error));
    return;
  }
  if (settings.ReadText(kFeedSection, kFeedKey, "").empty()) {
    if (FileResult r = settings.WriteText(kFeedSection, kFeedKey, "feed"); !r) ui.Warning(ToCp932(r.error));
  }
  // The simulated racing world is written into the feed folder and imported here once the
  // simulator's feed writer and the accumulated-data import are part of the program.
}

GuiSession::GuiSession(fs::path progDir, UiPort* ui) : progDir_(std::move(progDir)), ui_(ui ? ui : &qtUi_) {
  Settings settings(progDir_);
  (void)settings.Load();  // a problem with the file is reported by the workbench's start-up
  jv_ = MakeFeedJVLink(settings);
  wb_ = std::make_unique<Workbench>(progDir_, *ui_, clock_, *jv_, desktop_);
}

GuiSession::~GuiSession() {
  window_.reset();
}

bool GuiSession::Start() {
  if (!CheckJVLinkPresent(*jv_, *ui_)) return false;
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
  if (!wb_->Start()) return false;
  window_ = std::make_unique<MainWindow>(*wb_, ui_ == &qtUi_ ? &qtUi_ : nullptr);
  window_->PlaceFromSettings();
  return true;
}

int RunWorkbench(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
  // Fusion draws the grids' heading colours, which the platform styles may ignore.
  QApplication::setStyle(QStringLiteral("Fusion"));
  GuiOptions options;
  QString error;
  if (!ParseGuiOptions(app.arguments().mid(1), options, error)) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kProgramTitle),
                          error + QStringLiteral("\n\nkorvane2 [--home DIR | --demo]"));
    return 2;
  }
  fs::path prog = options.demo ? DemoProgramFolder() : ChooseProgramFolder(options.home);
  if (options.demo) {
    QtUiPort ui;
    PrepareDemo(prog, ui);
  }
  GuiSession session(prog);
  if (!session.Start()) return 1;
  session.Window().show();
  return app.exec();
}

}  // namespace kv::gui
