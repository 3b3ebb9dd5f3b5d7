#include <gtest/gtest.h>

#include <set>

#include "TempDir.h"
#include "app/Settings.h"
#include "text/Cp932.h"

using namespace kv;
using kv::test::TempDir;

namespace {

std::string Slurp(const fs::path& p) {
  std::string s;
  EXPECT_TRUE(ReadFile(p, s));
  return s;
}

Settings LoadFrom(const TempDir& dir, const std::string& bytes) {
  EXPECT_TRUE(WriteFileAtomic(dir / kSettingsFileName, bytes));
  Settings s(dir.path());
  EXPECT_TRUE(s.Load());
  return s;
}

}  // namespace

TEST(SettingsDefaults, FirstStartWithoutAFile) {
  TempDir dir;
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  EXPECT_EQ(s.GetInt("locate", "top"), 10);
  EXPECT_EQ(s.GetInt("locate", "left"), 10);
  EXPECT_EQ(s.GetInt("locate", "width"), 1000);
  EXPECT_EQ(s.GetInt("locate", "height"), 900);
  // Of the three option checks only the all-race comparison is on.
  EXPECT_FALSE(s.GetBool("ReadKako", "IgnoDate"));
  EXPECT_TRUE(s.GetBool("AllRace", "ExecComp"));
  EXPECT_FALSE(s.GetBool("datalist", "close"));

  struct Case { const char* section; const char* key; int value; } ints[] = {
      {"DataSpan", "period", 1826}, {"Time", "AutoOzGet", 10},       {"Time", "AutoOzGetSec", 0},
      {"Time", "AutoTohyoInterval", 5}, {"Time", "AutoRdataGet", 10}, {"Time", "AutoBataijuGet", 37},
      {"KaimeSet", "DefaultAmount", 3000}, {"KaimeSet", "Bakenshu", 0}, {"UserKaimeForm", "left", 500},
      {"Kaimelocate", "width", 630},   {"Printlocate", "height", 450}, {"PrintZoom", "ratio", 1},
  };
  for (const auto& c : ints) EXPECT_EQ(s.GetInt(c.section, c.key), c.value) << c.section << "/" << c.key;
  EXPECT_TRUE(s.GetBool("KaimeSet", "CheckMulti"));
  EXPECT_FALSE(s.GetBool("KaimeSet", "CheckMulti13"));
  EXPECT_TRUE(s.GetBool("JvDataGet", "KakuteiOzGet"));
  EXPECT_EQ(s.GetText("OddsSpan", "ceil"), "10.0");

  // Folder defaults hang under the program folder; the discovered ones start empty.
  EXPECT_EQ(s.GetText("Dir", "yoso"), ToCp932((dir.path() / "ylzh").string()));
  EXPECT_EQ(s.GetText("Dir", "jikeiretu"), ToCp932(dir.path().string()));
  EXPECT_EQ(s.GetText("Dir", "kaime"), ToCp932(dir.path().string()));
  EXPECT_EQ(s.GetText("Dir", "TavoroTohyo2"), "");
  EXPECT_FALSE(s.Has("JvDataGet", "LastTime"));
  EXPECT_FALSE(fs::exists(dir / kSettingsFileName)) << "reading never creates the file";
}

TEST(SettingsDefaults, TableRowsAreUniqueAndTheirDefaultsFitTheirTypes) {
  TempDir dir;
  Settings s(dir.path());
  std::set<std::string> seen;
  for (const SettingDef& d : SettingDefs()) {
    std::string name = std::string(d.section) + "/" + std::string(d.key);
    EXPECT_TRUE(seen.insert(name).second) << name;
    EXPECT_EQ(FindSettingDef(d.section, d.key), &d) << name;
    if (d.type == SettingType::Bool) {
      EXPECT_TRUE(d.value == "0" || d.value == "1") << name;
    } else if (d.type == SettingType::Int) {
      EXPECT_EQ(std::to_string(s.GetInt(d.section, d.key)), d.value) << name;
      if (d.min < d.max) {
        EXPECT_TRUE(s.GetInt(d.section, d.key) >= d.min && s.GetInt(d.section, d.key) <= d.max) << name;
      }
    }
  }
  EXPECT_EQ(seen.size(), 41u);  // every setting the program keeps
  EXPECT_NE(FindSettingDef("kaimeset", "DEFAULTAMOUNT"), nullptr);
  EXPECT_EQ(FindSettingDef("KaimeSet", "Nope"), nullptr);
}

TEST(SettingsText, QuoteRulesOnReading) {
  // Stored value -> text read. CP932: ｢ is 0xA2, ｣ is 0xA3; "ぅ" is 0x82 0xA3 and so ends in
  // the same byte as ｣ without being one.
  struct Case { std::string stored; std::string read; } cases[] = {
      {"\"\"", ""},
      {"\xA2\xA3", ""},
      {"\"abc\"", "abc"},
      {"\"x\"", "x"},
      {"\xA2" "abc" "\xA3", "abc"},
      {"\"  padded  \"", "  padded  "},
      {"\"\"\"\"", "\"\""},
      {"\"" + J("馬") + "\"", J("馬")},
      {"\"", "\""},
      {"\"abc", "\"abc"},
      {"abc\"", "abc\""},
      {"\"abc\xA3", "\"abc\xA3"},
      {"\xA2" "a" + J("ぅ"), "\xA2" "a" + J("ぅ")},
      {"plain text", "plain text"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnquoteSettingText(c.stored), c.read) << ToUtf8(c.stored);
    TempDir dir;
    Settings s = LoadFrom(dir, "[Dir]\r\nkaime=" + c.stored + "\r\n");
    EXPECT_EQ(s.ReadText("Dir", "kaime", "default"), c.read) << ToUtf8(c.stored);
  }
}

TEST(SettingsText, DefaultOnlyWhenTheKeyIsAbsent) {
  TempDir dir;
  Settings s = LoadFrom(dir, "[OddsSpan]\r\nceil=\"\"\r\n[Dir]\r\nyoso=\r\n");
  EXPECT_EQ(s.GetText("OddsSpan", "ceil"), "");
  EXPECT_EQ(s.GetText("Dir", "yoso"), "");
  EXPECT_EQ(s.ReadText("Dir", "missing", "fallback"), "fallback");
  EXPECT_EQ(s.ReadText("NoSection", "kaime", "fallback"), "fallback");
}

TEST(SettingsFile, ReadsBothEncodingsAndKeepsTheOneItFound) {
  const std::string value = "C:\\" + J("時系列ｵｯｽﾞ");
  for (bool utf8 : {false, true}) {
    TempDir dir;
    const std::string comment = "; " + (utf8 ? std::string("メモ") : J("メモ"));
    const std::string file = comment + "\r\n[Dir]\r\njikeiretu=" + (utf8 ? ToUtf8(value) : value) + "\r\n";
    Settings s = LoadFrom(dir, file);
    EXPECT_EQ(s.FileIsUtf8(), utf8);
    EXPECT_EQ(s.GetText("Dir", "jikeiretu"), value) << utf8;

    ASSERT_TRUE(s.WriteText("Dir", "kaime", J("買い目")));
    const std::string saved = Slurp(dir / kSettingsFileName);
    const std::string added = utf8 ? "kaime=買い目" : "kaime=" + J("買い目");
    EXPECT_EQ(saved, file.substr(0, file.size()) + added + "\r\n") << utf8;
  }
}

TEST(SettingsFile, Utf16WithItsMarkIsReadAndWrittenBackAsUtf16) {
  const std::string text = "; メモ\r\n[JvDataGet]\r\nLastTime=2024/04/20 17:00:00\r\n[KaimeSet]\r\nDefaultAmount=5000\r\n";
  for (bool big : {false, true}) {
    TempDir dir;
    const std::string mark = big ? "\xFE\xFF" : "\xFF\xFE";
    Settings s = LoadFrom(dir, mark + Utf8ToUtf16(text, big));
    EXPECT_EQ(s.GetText("JvDataGet", "LastTime"), "2024/04/20 17:00:00") << big;
    EXPECT_EQ(s.GetInt("KaimeSet", "DefaultAmount"), 5000) << big;

    ASSERT_TRUE(s.WriteText("Dir", "kaime", J("買い目")));
    const std::string saved = Slurp(dir / kSettingsFileName);
    ASSERT_TRUE(saved.starts_with(mark));
    std::string decoded;
    ASSERT_TRUE(Utf16ToUtf8(std::string_view(saved).substr(2), big, decoded));
    EXPECT_EQ(decoded, text + "[Dir]\r\nkaime=買い目\r\n") << big;
  }
}

TEST(SettingsFile, FileThatDoesNotDecodeIsReportedReadAsDefaultsAndNeverRewritten) {
  const std::string cases[] = {
      std::string("\xFF\xFE[\0K\0a\0", 7),                  // UTF-16 cut in the middle of a character
      std::string("\xFF\xFE\x00\xD8[\0", 6),                 // a lone surrogate
      "\xEF\xBB\xBF[KaimeSet]\r\nDefaultAmount=5000\x82\xA0\r\n",  // UTF-8 mark, CP932 bytes
  };
  for (const std::string& bytes : cases) {
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / kSettingsFileName, bytes));
    Settings s(dir.path());
    const FileResult r = s.Load();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(kSettingsFileName), std::string::npos) << r.error;
    EXPECT_TRUE(s.FileUndecodable());
    EXPECT_EQ(s.GetInt("KaimeSet", "DefaultAmount"), 3000);
    EXPECT_FALSE(s.WriteInt("KaimeSet", "DefaultAmount", 7000).ok);
    EXPECT_EQ(s.GetInt("KaimeSet", "DefaultAmount"), 7000);  // for this run
    EXPECT_FALSE(s.Save().ok);
    EXPECT_EQ(Slurp(dir / kSettingsFileName), bytes);
  }
}

TEST(SettingsFile, NewFileIsWrittenAsCp932) {
  TempDir dir;
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  ASSERT_TRUE(s.WriteText("Dir", "kaime", J("投票")));
  ASSERT_TRUE(s.WriteInt("Kaime", "SetIndex", 3));
  EXPECT_EQ(Slurp(dir / kSettingsFileName), "[Dir]\r\nkaime=" + J("投票") + "\r\n[Kaime]\r\nSetIndex=3\r\n");
}

TEST(SettingsFile, BadContentFallsBackToDefaults) {
  TempDir dir;
  std::string garbage =
      "orphan=5\r\n"            // before any section: belongs to none
      "\x01\x02\xFF\xFE junk\r\n"
      "[locate\r\n"             // unterminated header is no section
      "[Time]\n"
      "AutoOzGet=12x\n"
      "AutoRdataGet=\n"
      "AutoOzGetSec=99999999999\n"
      "AutoTohyoInterval = 7 \n"
      "=no key\n"
      "just words\n"
      "[KaimeSet]\r\n"
      "CheckMulti=yes\r\n"
      "CheckMulti12=2\r\n"
      "checkmulti13=true\r\n"
      "DefaultAmount=5000\r\n"
      "DefaultAmount=7000\r\n"  // the first of two wins
      "Bakenshu";               // last line without a line end
  garbage += std::string(1, '\0') + "\r\n";
  Settings s = LoadFrom(dir, garbage);
  EXPECT_EQ(s.ReadInt("", "orphan", -1), -1);
  EXPECT_EQ(s.GetInt("Time", "AutoOzGet"), 10);
  EXPECT_EQ(s.GetInt("Time", "AutoRdataGet"), 10);
  EXPECT_EQ(s.GetInt("Time", "AutoOzGetSec"), 0);
  EXPECT_EQ(s.GetInt("Time", "AutoTohyoInterval"), 7);
  EXPECT_TRUE(s.GetBool("KaimeSet", "CheckMulti"));    // not a number: the default (true)
  EXPECT_TRUE(s.GetBool("KaimeSet", "CheckMulti12"));  // any number but 0 is on
  EXPECT_TRUE(s.GetBool("KaimeSet", "CheckMulti13"));
  EXPECT_EQ(s.GetInt("kaimeset", "defaultamount"), 5000);
  EXPECT_EQ(s.GetInt("KaimeSet", "Bakenshu"), 0);

  // The garbage survives a write untouched.
  ASSERT_TRUE(s.WriteInt("KaimeSet", "DefaultAmount", 4000));
  std::string saved = Slurp(dir / kSettingsFileName);
  EXPECT_NE(saved.find("\x01\x02\xFF\xFE junk\r\n"), std::string::npos);
  EXPECT_NE(saved.find("DefaultAmount=4000\r\nDefaultAmount=7000\r\n"), std::string::npos);
}

TEST(SettingsFile, HandEditedValuesOutsideTheDialogRangeAreClamped) {
  TempDir dir;
  Settings s = LoadFrom(dir, "[Time]\r\nAutoRdataGet=0\r\nAutoOzGet=500\r\n[DataSpan]\r\nperiod=10\r\n");
  EXPECT_EQ(s.GetInt("Time", "AutoRdataGet"), 5);
  EXPECT_EQ(s.GetInt("Time", "AutoOzGet"), 59);
  EXPECT_EQ(s.GetInt("DataSpan", "period"), 365);
  EXPECT_EQ(s.ReadInt("Time", "AutoRdataGet", 10), 0) << "the explicit read returns what is stored";
}

TEST(SettingsWrite, PersistsAtOnceAndReadsBackInEveryType) {
  TempDir dir;
  Settings a(dir.path());
  ASSERT_TRUE(a.Load());
  ASSERT_TRUE(a.WriteBool("AllRace", "ExecComp", false));
  ASSERT_TRUE(a.WriteInt("locate", "top", -20));
  ASSERT_TRUE(a.WriteText("JvDataGet", "LastTime", "2024/01/06 18:30:00"));
  Settings b(dir.path());
  ASSERT_TRUE(b.Load());
  EXPECT_FALSE(b.GetBool("AllRace", "ExecComp"));
  EXPECT_EQ(b.GetInt("locate", "top"), -20);
  EXPECT_EQ(b.GetText("JvDataGet", "LastTime"), "2024/01/06 18:30:00");
  ASSERT_TRUE(a.WriteInt("LOCATE", "Top", 30));  // same key, other spelling: replaced in place
  EXPECT_EQ(Slurp(dir / kSettingsFileName),
            "[AllRace]\r\nExecComp=0\r\n[locate]\r\ntop=30\r\n[JvDataGet]\r\nLastTime=2024/01/06 18:30:00\r\n");
}

TEST(SettingsWrite, KeepsWhatAnotherProgramWroteMeanwhile) {
  TempDir dir;
  Settings gui(dir.path()), cli(dir.path());
  ASSERT_TRUE(gui.Load());
  ASSERT_TRUE(cli.Load());
  ASSERT_TRUE(cli.WriteInt("DataSpan", "period", 400));
  ASSERT_TRUE(gui.WriteInt("locate", "top", 50));
  Settings fresh(dir.path());
  ASSERT_TRUE(fresh.Load());
  EXPECT_EQ(fresh.GetInt("DataSpan", "period"), 400);
  EXPECT_EQ(fresh.GetInt("locate", "top"), 50);
  EXPECT_EQ(gui.GetInt("DataSpan", "period"), 400);
}

TEST(SettingsWrite, ALineBreakInATextCannotPlantOtherKeys) {
  TempDir dir;
  Settings s(dir.path());
  ASSERT_TRUE(s.WriteText("Dir", "kaime", "/tmp/x\r\n[AllRace]\nExecComp=0"));
  Settings b(dir.path());
  ASSERT_TRUE(b.Load());
  EXPECT_TRUE(b.GetBool("AllRace", "ExecComp"));
  EXPECT_EQ(b.GetText("Dir", "kaime"), "/tmp/x  [AllRace] ExecComp=0");
}

TEST(SettingsWrite, ReplacesTheFileAtomically) {
  TempDir dir;
  Settings s = LoadFrom(dir, "[locate]\r\ntop=1\r\n");
  // A second name for the old file: an in-place rewrite would change what it shows.
  fs::create_hard_link(dir / kSettingsFileName, dir / "before.ini");
  ASSERT_TRUE(s.WriteInt("locate", "top", 2));
  EXPECT_EQ(Slurp(dir / "before.ini"), "[locate]\r\ntop=1\r\n");
  EXPECT_EQ(Slurp(dir / kSettingsFileName), "[locate]\r\ntop=2\r\n");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 2) << "no temporary file is left behind";
}

TEST(SettingsWrite, AFileThatCannotBeReadIsNeverOverwritten) {
  TempDir dir;
  fs::create_directory(dir / kSettingsFileName);  // stands in for an unreadable file
  Settings s(dir.path());
  EXPECT_FALSE(s.Load());
  EXPECT_EQ(s.GetInt("locate", "top"), 10);
  EXPECT_FALSE(s.WriteInt("locate", "top", 99));
  EXPECT_EQ(s.GetInt("locate", "top"), 99) << "the value is kept for this run";
  EXPECT_TRUE(fs::is_directory(dir / kSettingsFileName));
}

TEST(SettingsFile, FileNameIsMatchedWithoutRegardToCase) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / "KORVANE2.INI", "[locate]\r\nleft=77\r\n"));
  Settings s(dir.path());
  ASSERT_TRUE(s.Load());
  EXPECT_EQ(s.GetInt("locate", "left"), 77);
  ASSERT_TRUE(s.WriteInt("locate", "left", 78));
  EXPECT_FALSE(fs::exists(dir / kSettingsFileName));
  EXPECT_EQ(Slurp(dir / "KORVANE2.INI"), "[locate]\r\nleft=78\r\n");
}
