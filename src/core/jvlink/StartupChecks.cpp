#include "jvlink/StartupChecks.h"

#include "text/Cp932.h"

namespace kv {

bool CheckJVLinkPresent(const JVLink& jv, UiPort& ui) {
  if (jv.Available()) return true;
  ui.Info(J("JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。"));
  return false;
}

std::string JVLinkVersionDisplay(std::string_view version) {
  std::string shown;
  for (size_t i = 1; i < 4 && i < version.size(); ++i) {
    if (!shown.empty()) shown += '.';
    shown += version[i];
  }
  return shown;
}

int InitJVLink(JVLink& jv, UiPort& ui) {
  int code = jv.JVInit(kJVSoftwareId);
  if (code != 0) {
    ui.Plain(J("JVInitエラーが発生しました。：") + std::to_string(code));
    return code;
  }
  std::string version = jv.Version();
  if (version < kMinJVLinkVersion) {
    ui.Info(J("ご利用中のJV-Linkのバージョンは[") + JVLinkVersionDisplay(version) + J("]です。") + "\r\n" +
            J("本ソフトのご利用にはバージョン[4.9.0]以上が必要です。") + "\r\n" +
            J("JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。"));
  }
  return code;
}

}  // namespace kv
