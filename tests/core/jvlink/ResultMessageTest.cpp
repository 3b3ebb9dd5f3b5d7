#include <gtest/gtest.h>

#include "jvlink/ResultMessage.h"
#include "text/Cp932.h"

using namespace kv;

TEST(ResultMessage, TextThenCodeInParentheses) {
  struct Case { const char* method; int code; const char* text; } cases[] = {
      // The special rows: a positive count or size.
      {"JVRead", 1270, "バッファにセットしたデータのサイズ1270(1270)"},
      {"JVGets", 5, "バッファにセットしたデータのサイズ5(5)"},
      {"JVMVRead", 12, "バッファにセットしたデータのサイズ12(12)"},
      {"JVStatus", 3, "ダウンロード済みファイル数3(3)"},
      {"JVStatus", 0, "正常に実行されました。(0)"},
      // One prefix stands for every JVSet… operation.
      {"JVSetUIProperties", -101, "すでにサービスキーが登録されています。(-101)"},
      {"JVSetServiceKey", -100, "パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"},
      // The leading space is part of the text.
      {"JVOpen", -1, " 取得済みデータより最新のデータがありません。(-1)"},
      {"JVRTOpen", -1, " 取得済みデータより最新のデータがありません。(-1)"},
      {"JVOpen", 0, "正常に実行されました。(0)"},
      {"JVOpen", -201, "JVInit が行なわれていません。(-201)"},
      {"JVOpen", -411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。(-411)"},
      {"JVOpen", -504, "サーバーがメンテナンス中です。(-504)"},
      {"JVInit", -103, "sid が不正（sid の１桁目がスペース）です。(-103)"},
      {"JVStatus", -502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)"},
      {"JVRead", 0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）(0)"},
      {"JVRead", -201, "JVInitが行なわれていません。(-201)"},
      {"JVRead", -202, "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）(-202)"},
      {"JVRead", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)"},
      {"JVClose", 0, "正常に実行されました。(0)"},
      // Tables of operations the program itself never calls.
      {"JVFileDelete", -503, "ファイルが見つかりません。(-503)"},
      {"JVFuku", -401, "JV- Link 内部エラーが発生しました。(-401)"},
      {"JVFuku", -302, "サービスキーの有効期限切れです。(-302)"},
      {"JVFukuFile", -118, "filepath パラメータが不正です。(-118)"},
      {"JVMVCheck", 1, "正常(公開動画あり)に実行されました。(1)"},
      {"JVMVCheck", -202, "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）(-202)"},
      {"JVMVPlayWithType", -304, "JRAレーシングビュアー連携機能認証エラーが発生しました。(-304)"},
      {"JVMVPlay", -201, "JVInitが行われていません。(-201)"},
      {"JVMVOpen", -114, "searchkeyパラメータが不正です。(-114)"},
      {"JVCourseFile", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)"},
      {"JVCourseFile2", -118, "filepathパラメータが不正です。(-118)"},
      {"JVCourseFile2", -504, "サーバーメンテナンス中です。(-504)"},
      {"JVMVRead", -3, "データダウンロード中(-3)"},
      {"JVMVRead", -503, "一時ファイルが見つかりません。(-503)"},
      {"JVMVRead", -402, "ダウンロードしたファイルサイズが異常です。(-402)"},
      // Codes a table does not list, and unknown operations: only the code.
      {"JVOpen", -999, "(-999)"},
      {"JVClose", -1, "(-1)"},
      {"JVFukuFile", 7, "(7)"},
      {"JVCourseFile", -118, "(-118)"},
      {"JVFileDelete", 0, "正常に実行されました。(0)"},
      {"JVInit", 5, "(5)"},
      {"JVOpen", 4, "(4)"},
      {"jvopen", 0, "(0)"},
      {"", -1, "(-1)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf8(JVResultMessage(c.method, c.code)), c.text) << c.method << " " << c.code;
}

TEST(ResultMessage, IsCp932) {
  EXPECT_EQ(JVResultMessage("JVRead", -3), J("ファイルダウンロード中") + "(-3)");
}
