#pragma once
// JV-Link served from a feed folder (written by jvsim or by any other means; the layout is in
// the README's "Feed format" section). Accumulated data ("RACEDIFN") comes from the files of
// FEED/RACEDIFN, real-time data ("0B30", "0B12", "0B14") from FEED/0B30, 0B12 and 0B14, each
// as of the Clock's time. Result codes can be scripted (FEED/inject.txt or Inject) so that
// every error path of a caller can be driven.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jvlink/JVLink.h"
#include "app/Ports.h"

namespace kv {

class ReplayJVLink : public JVLink {
 public:
  // feedDir is a UTF-8 path; clock gives the moment the feed is seen at (it must outlive this).
  ReplayJVLink(std::string feedDir, const Clock& clock);

  bool Available() const override;
  int JVInit(const std::string& sid) override;
  std::string Version() const override;
  int JVSetUIProperties() override;
  JVOpenResult JVOpen(const std::string& dataspec, const std::string& fromTime, int option) override;
  int JVStatus() override;
  JVReadResult JVRead(int bufferSize) override;
  int JVRTOpen(const std::string& dataspec, const std::string& key) override;
  void JVCancel() override;
  int JVClose() override;

  // The (after + 1)-th call of `operation` ("JVInit", "JVSetUIProperties", "JVOpen", "JVStatus",
  // "JVRead", "JVRTOpen", "JVClose"), counted from the creation of this object, returns `code`
  // instead of doing its work. Each scripted code fires once.
  void Inject(const std::string& operation, int code, int after);
  // How many JVStatus calls a download takes at least: each call completes downloadCount/steps
  // files (at least one). The default is 10.
  void SetDownloadSteps(int steps) { downloadSteps_ = steps < 1 ? 1 : steps; }

 private:
  struct AccFile {
    std::string name;
    std::string stamp;  // yyyymmddhhnnss
    bool download = false;
  };
  enum class Mode { Closed, Accumulated, RealTime };

  bool Injected(const std::string& operation, int& code);
  void LoadInjections();
  std::string NowStamp() const;
  void AdvanceDownload();
  int DownloadRank(size_t file) const;

  std::string feed_;
  const Clock& clock_;
  bool initialised_ = false;
  bool available_ = true;
  std::string version_ = "0490";
  int downloadSteps_ = 10;

  struct Script {
    int code;
    int after;
    bool fired;
  };
  std::map<std::string, std::vector<Script>> scripts_;
  std::map<std::string, int> calls_;

  Mode mode_ = Mode::Closed;
  bool cancelled_ = false;
  std::set<std::string> cached_;      // accumulated files already downloaded by this object
  std::vector<AccFile> files_;
  int downloadCount_ = 0;
  int downloaded_ = 0;
  size_t fileIndex_ = 0;
  bool fileLoaded_ = false;
  std::vector<std::string> records_;  // records of the current file, each ending in CR LF
  size_t recordIndex_ = 0;
};

}  // namespace kv
