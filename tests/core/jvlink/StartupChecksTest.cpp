#include <gtest/gtest.h>

#include "RecordingPorts.h"
#include "ScriptedJVLink.h"
#include "jvlink/StartupChecks.h"
#include "text/Cp932.h"

using namespace kv;
using kv::test::RecordingUi;
using kv::test::ScriptedJVLink;
using Kind = RecordingUi::Kind;

TEST(StartupChecks, MissingJVLinkIsToldAndStopsTheProgram) {
  ScriptedJVLink jv;
  RecordingUi ui;
  EXPECT_TRUE(CheckJVLinkPresent(jv, ui));
  EXPECT_TRUE(ui.events.empty());

  jv.available = false;
  EXPECT_FALSE(CheckJVLinkPresent(jv, ui));
  EXPECT_EQ(ui.Texts(Kind::Info),
            std::vector<std::string>{J("JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。")});
  EXPECT_TRUE(jv.calls.empty());
}

TEST(StartupChecks, InitPassesTheSoftwareIdentifier) {
  ScriptedJVLink jv;
  RecordingUi ui;
  EXPECT_EQ(InitJVLink(jv, ui), 0);
  ASSERT_EQ(jv.calls.size(), 1u);
  EXPECT_EQ(jv.calls[0].op, "JVInit");
  EXPECT_EQ(jv.calls[0].arg1, "SQ718204/SR930517/QvmPelteRKA/Ver.2.20");
  EXPECT_TRUE(ui.events.empty()) << "version 0490 is new enough";
}

TEST(StartupChecks, FailedInitShowsTheNumberAndSkipsTheVersionCheck) {
  ScriptedJVLink jv;
  jv.initCodes = {-103};
  jv.version = "0100";
  RecordingUi ui;
  EXPECT_EQ(InitJVLink(jv, ui), -103);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{J("JVInitエラーが発生しました。：-103")});
  EXPECT_EQ(ui.Count(Kind::Plain), 1);
}

TEST(StartupChecks, VersionBelow0490IsWarnedAbout) {
  struct Case { const char* version; const char* shown; } cases[] = {
      {"0480", "4.8.0"}, {"0399", "3.9.9"}, {"049", "4.9"}, {"", ""},
  };
  for (const auto& c : cases) {
    ScriptedJVLink jv;
    jv.version = c.version;
    RecordingUi ui;
    EXPECT_EQ(InitJVLink(jv, ui), 0);
    const std::string want = "ご利用中のJV-Linkのバージョンは[" + std::string(c.shown) + "]です。\r\n" +
                             "本ソフトのご利用にはバージョン[4.9.0]以上が必要です。\r\n" +
                             "JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。";
    EXPECT_EQ(ui.Texts(Kind::Info), std::vector<std::string>{J(want)}) << c.version;
  }
  for (const char* ok : {"0490", "0500", "0491", "1000"}) {
    ScriptedJVLink jv;
    jv.version = ok;
    RecordingUi ui;
    InitJVLink(jv, ui);
    EXPECT_TRUE(ui.events.empty()) << ok;
  }
  EXPECT_EQ(JVLinkVersionDisplay("0490"), "4.9.0");
}
