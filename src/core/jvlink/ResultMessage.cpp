#include "jvlink/ResultMessage.h"

#include <initializer_list>
#include <vector>

#include "text/Cp932.h"

namespace kv {
namespace {

struct Row {
  int code;
  const char* text;  // UTF-8
};
using Rows = std::vector<Row>;

Rows Join(std::initializer_list<Rows> parts) {
  Rows all;
  for (const Rows& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

constexpr const char* kOk = "正常に実行されました。";
constexpr const char* kNotClosed = "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）";

// One table per group of operations that share their texts.
struct Tables {
  Rows init = {
      {0, kOk},
      {-101, "sid が設定されていません。"},
      {-102, "sid が64byte 以上あります。"},
      {-103, "sid が不正（sid の１桁目がスペース）です。"},
  };
  Rows set = {
      {0, kOk},
      {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
      {-101, "すでにサービスキーが登録されています。"},
  };
  Rows openServer = {  // the server and authentication rows JVOpen shares with JVFuku
      {-211, "レジストリ内容が不正（レジストリ内容が不正に変更された）です。"},
      {-301, "認証エラーが発生しました。"},
      {-302, "サービスキーの有効期限切れです。"},
      {-303, "サービスキーが設定されていません。（サービスキーが空値）"},
      {-411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。"},
      {-412, "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。"},
      {-413, "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。"},
      {-421, "サーバーエラー（サーバーの応答が不正）が発生しました。"},
      {-431, "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。"},
  };
  Rows open = Join({
      {
          {0, kOk},
          {-1, " 取得済みデータより最新のデータがありません。"},
          {-2, "セットアップダイアログでキャンセルが押されました。"},
          {-111, "dataspec パラメータが不正です。"},
          {-112, "fromdate パラメータが不正です。"},
          {-114, "key パラメータが不正です。"},
          {-115, "option パラメータが不正です。"},
          {-116, "dataspec とoption の組み合わせが不正です。"},
          {-201, "JVInit が行なわれていません。"},
          {-202, kNotClosed},
          {-305, "JV-Link 利用規約への同意が必要です。"},
          {-401, "JV-Link 内部エラーが発生しました。"},
          {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
          {-504, "サーバーがメンテナンス中です。"},
      },
      openServer,
  });
  Rows status = {
      {0, kOk},
      {-201, "JVInitが行なわれていません。"},
      {-203, "JVOpenが行なわれていません。"},
      {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
  };
  Rows readShared = {  // JVRead's rows that JVMVRead shares
      {0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）"},
      {-402, "ダウンロードしたファイルサイズが異常です。"},
      {-403, "ダウンロードしたファイル内容が異常です。"},
      {-502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
  };
  Rows read = Join({
      readShared,
      {
          {-1, "ファイルが切り替わりました。"},
          {-3, "ファイルダウンロード中"},
          {-201, "JVInitが行なわれていません。"},
          {-202, kNotClosed},
          {-203, "JVOpenが行なわれていません。"},
          {-503, "ファイルが見つかりません。"},
      },
  });
  Rows close = {{0, kOk}};
  Rows fileDelete = {
      {0, kOk},
      {-201, "JVInitが行なわれていません。"},
      {-503, "ファイルが見つかりません。"},
  };
  Rows fukuBody = Join({
      {
          {-1, "該当データがありません。"},
          {-201, "JVInit が行なわれていません。"},
          {-401, "JV- Link 内部エラーが発生しました。"},
          {-504, "サーバーがメンテナンス中です。"},
      },
      openServer,
  });
  Rows fuku = Join({{{0, kOk}}, fukuBody});
  Rows fukuFile = Join({fuku, {{-118, "filepath パラメータが不正です。"}}});
  Rows mvCheck = Join({
      {
          {0, "正常(公開動画なし)に実行されました。"},
          {1, "正常(公開動画あり)に実行されました。"},
          {-202, kNotClosed},
          {-114, "key パラメータが不正です。"},
      },
      fukuBody,
  });
  Rows movie = {  // shared by the movie and course-picture operations
      {0, kOk},
      {-1, "該当データがありません。"},
      {-201, "JVInitが行われていません。"},
      {-202, kNotClosed},
      {-211, "レジストリ内容が不正です。"},
      {-301, "認証エラーが発生しました。"},
      {-302, "サービスキーの期限切れです。"},
      {-303, "サービスキーが設定されていません。"},
      {-401, "JV-Link内部エラーが発生しました。"},
      {-411, "サーバーエラー(HTTPステータス404NotFound)が発生しました。"},
      {-412, "サーバーエラー(HTTPステータス403Forbidden)が発生しました。"},
      {-413, "サーバーエラー(HTTPステータス200,403,404以外)が発生しました。"},
      {-421, "サーバーエラー(サーバーの応答が不正)が発生しました。"},
      {-431, "サーバーエラー(サーバーアプリケーション内部エラー)が発生しました。"},
      {-504, "サーバーメンテナンス中です。"},
  };
  Rows mvPlay = Join({
      movie,
      {
          {-100, "パラメータが不正またはレジストリへの保存に失敗しました。"},
          {-111, "movietypeパラメータが不正です。"},
          {-114, "keyパラメータが不正です。"},
          {-304, "JRAレーシングビュアー連携機能認証エラーが発生しました。"},
      },
  });
  Rows mvOpen = Join({
      movie,
      {
          {-111, "movietypeパラメータが不正です。"},
          {-114, "searchkeyパラメータが不正です。"},
          {-304, "JRAレーシングビュアー連携機能認証エラーが発生しました。"},
      },
  });
  Rows courseFile = Join({
      movie,
      {
          {-114, "keyパラメータが不正です。"},
          {-502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
      },
  });
  Rows courseFile2 = Join({courseFile, {{-118, "filepathパラメータが不正です。"}}});
  Rows mvRead = Join({
      readShared,
      {
          {-3, "データダウンロード中"},
          {-201, "JVInitが行なわれていません。"},
          {-203, "JVMVOpenが行なわれていません。"},
          {-503, "一時ファイルが見つかりません。"},
      },
  });
};

const Rows* TableFor(std::string_view m) {
  static const Tables t;
  if (m == "JVInit") return &t.init;
  if (m.starts_with("JVSet")) return &t.set;
  if (m == "JVOpen" || m == "JVRTOpen") return &t.open;
  if (m == "JVStatus") return &t.status;
  if (m == "JVRead" || m == "JVGets") return &t.read;
  if (m == "JVClose") return &t.close;
  if (m == "JVFileDelete") return &t.fileDelete;
  if (m == "JVFuku") return &t.fuku;
  if (m == "JVFukuFile") return &t.fukuFile;
  if (m == "JVMVCheck") return &t.mvCheck;
  if (m == "JVMVPlay" || m == "JVMVPlayWithType") return &t.mvPlay;
  if (m == "JVMVOpen") return &t.mvOpen;
  if (m == "JVCourseFile") return &t.courseFile;
  if (m == "JVCourseFile2") return &t.courseFile2;
  if (m == "JVMVRead") return &t.mvRead;
  return nullptr;
}

}  // namespace

std::string JVResultMessage(std::string_view method, int code) {
  std::string text;
  if (code > 0 && method == "JVStatus") {
    text = J("ダウンロード済みファイル数") + std::to_string(code);
  } else if (code > 0 && (method == "JVRead" || method == "JVGets" || method == "JVMVRead")) {
    text = J("バッファにセットしたデータのサイズ") + std::to_string(code);
  } else if (const Rows* rows = TableFor(method)) {
    for (const Row& r : *rows) {
      if (r.code == code) {
        text = J(r.text);
        break;
      }
    }
  }
  return text + "(" + std::to_string(code) + ")";
}

}  // namespace kv
