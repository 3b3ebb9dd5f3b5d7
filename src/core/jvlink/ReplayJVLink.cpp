#include "jvlink/ReplayJVLink.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/Files.h"
#include "text/Field.h"
#include "text/Format.h"

namespace kv {
namespace {

bool AllDigits(const std::string& s, size_t n) { return s.size() == n && IsDigits(s); }

// Splits file bytes into records of "...CR LF" (a CP932 trail byte is never CR or LF).
std::vector<std::string> SplitRecords(const std::string& data) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < data.size()) {
    size_t e = data.find("\r\n", p);
    if (e == std::string::npos) {
      out.push_back(data.substr(p) + "\r\n");  // a last record without its line end
      break;
    }
    out.push_back(data.substr(p, e + 2 - p));
    p = e + 2;
  }
  return out;
}

// The identity under which a later real-time record replaces an earlier one: record type and
// race key, plus the horse number for runner and scratch records.
std::string Identity(const std::string& rec) {
  std::string id = rec.substr(0, 2) + std::string(Fld(rec, 12, 16));
  if (id.compare(0, 2, "SE") == 0) id += std::string(Fld(rec, 29, 2));
  if (id.compare(0, 2, "AV") == 0) id += std::string(Fld(rec, 36, 2));
  return id;
}

}  // namespace

ReplayJVLink::ReplayJVLink(std::string feedDir, const Clock& clock) : feed_(std::move(feedDir)), clock_(clock) {
  LoadInjections();
}

void ReplayJVLink::LoadInjections() {
  const fs::path p = PathFromUtf8(feed_) / "inject.txt";
  std::error_code ec;
  if (!fs::exists(p, ec)) return;
  std::string text;
  if (!ReadFile(p, text)) return;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream ls(line);
    std::string op;
    if (!(ls >> op) || op[0] == '#') continue;
    if (op == "Version") {
      std::string v;
      if (ls >> v) version_ = v;
      continue;
    }
    int code = 0, after = 0;
    if (!(ls >> code)) continue;
    if (!(ls >> after)) after = 0;
    if (op == "Available") {
      available_ = code == 0;
      continue;
    }
    Inject(op, code, after);
  }
}

void ReplayJVLink::Inject(const std::string& operation, int code, int after) {
  scripts_[operation].push_back(Script{code, after < 0 ? 0 : after, false});
}

bool ReplayJVLink::Injected(const std::string& operation, int& code) {
  const int n = calls_[operation]++;
  auto it = scripts_.find(operation);
  if (it == scripts_.end()) return false;
  for (Script& s : it->second)
    if (!s.fired && s.after == n) {
      s.fired = true;
      code = s.code;
      return true;
    }
  return false;
}

std::string ReplayJVLink::NowStamp() const {
  const DateTime t = clock_.Now();
  return Fmt("%04d%02d%02d%02d%02d%02d", t.year % 10000, t.month % 100, t.day % 100, t.hour % 100, t.minute % 100,
             t.second % 100);
}

bool ReplayJVLink::Available() const { return available_; }

int ReplayJVLink::JVInit(const std::string& sid) {
  int code = 0;
  if (Injected("JVInit", code)) return code;
  if (sid.empty()) return -101;
  if (sid.size() >= 64) return -102;
  if (sid[0] == ' ') return -103;
  initialised_ = true;
  return 0;
}

std::string ReplayJVLink::Version() const { return version_; }

int ReplayJVLink::JVSetUIProperties() {
  int code = 0;
  if (Injected("JVSetUIProperties", code)) return code;
  return 0;
}

JVOpenResult ReplayJVLink::JVOpen(const std::string& dataspec, const std::string& fromTime, int option) {
  JVOpenResult r;
  if (Injected("JVOpen", r.code)) return r;
  if (!initialised_) return {-201, 0, 0, ""};
  if (mode_ != Mode::Closed) return {-202, 0, 0, ""};
  if (dataspec != "RACEDIFN") return {-111, 0, 0, ""};
  if (!AllDigits(fromTime, 14)) return {-112, 0, 0, ""};
  if (option != 1 && option != 3) return {-115, 0, 0, ""};

  // Files published after the from-time and by now; set-up data is always downloaded anew.
  const std::string now = NowStamp();
  files_.clear();
  std::error_code ec;
  const fs::path dir = PathFromUtf8(feed_) / "RACEDIFN";
  if (fs::is_directory(dir, ec)) {
    for (const auto& e : fs::directory_iterator(dir, ec)) {
      const std::string name = PathToUtf8(e.path().filename());
      if (name.size() < 18 || name.compare(name.size() - 4, 4, ".jvd") != 0) continue;
      const std::string stamp = name.substr(0, 14);
      if (!AllDigits(stamp, 14) || stamp <= fromTime || stamp > now) continue;
      files_.push_back(AccFile{name, stamp, option == 3 || cached_.count(name) == 0});
    }
  }
  std::sort(files_.begin(), files_.end(), [](const AccFile& a, const AccFile& b) { return a.name < b.name; });
  if (files_.empty()) return {-1, 0, 0, "00000000000000"};

  mode_ = Mode::Accumulated;
  cancelled_ = false;
  downloadCount_ = static_cast<int>(std::count_if(files_.begin(), files_.end(), [](const AccFile& f) { return f.download; }));
  downloaded_ = 0;
  fileIndex_ = 0;
  fileLoaded_ = false;
  records_.clear();
  recordIndex_ = 0;
  r.code = 0;
  r.readCount = static_cast<int>(files_.size());
  r.downloadCount = downloadCount_;
  r.lastFileTimestamp = files_.back().stamp;
  return r;
}

void ReplayJVLink::AdvanceDownload() {
  const int step = std::max(1, downloadCount_ / downloadSteps_);
  downloaded_ = std::min(downloadCount_, downloaded_ + step);
}

int ReplayJVLink::DownloadRank(size_t file) const {
  int rank = 0;
  for (size_t i = 0; i < file; ++i) rank += files_[i].download ? 1 : 0;
  return rank;
}

int ReplayJVLink::JVStatus() {
  int code = 0;
  if (Injected("JVStatus", code)) return code;
  if (!initialised_) return -201;
  if (mode_ != Mode::Accumulated) return -203;
  if (!cancelled_) AdvanceDownload();
  return downloaded_;
}

JVReadResult ReplayJVLink::JVRead(int bufferSize) {
  JVReadResult r;
  if (Injected("JVRead", r.code)) return r;
  if (!initialised_) return {-201, "", ""};
  if (mode_ == Mode::Closed) return {-203, "", ""};
  if (cancelled_) return {0, "", ""};
  // A record longer than the caller's buffer is refused and stays next in line.
  auto deliver = [&](const std::string& file) -> JVReadResult {
    const std::string& rec = records_[recordIndex_];
    if (static_cast<int>(rec.size()) > bufferSize) return {-402, "", file};
    ++recordIndex_;
    return {static_cast<int>(rec.size()), rec, file};
  };
  if (mode_ == Mode::RealTime) {
    if (recordIndex_ >= records_.size()) return {0, "", ""};
    return deliver("");
  }
  while (fileIndex_ < files_.size()) {
    const AccFile& f = files_[fileIndex_];
    if (!fileLoaded_) {
      if (f.download && DownloadRank(fileIndex_) >= downloaded_) {
        AdvanceDownload();  // the download goes on while the caller waits
        return {-3, "", f.name};
      }
      std::string data;
      if (!ReadFile(PathFromUtf8(feed_) / "RACEDIFN" / f.name, data)) return {-503, "", f.name};
      records_ = SplitRecords(data);
      recordIndex_ = 0;
      fileLoaded_ = true;
      cached_.insert(f.name);
    }
    if (recordIndex_ < records_.size()) return deliver(f.name);
    // End of this file: -1 when another follows, 0 after the last.
    ++fileIndex_;
    fileLoaded_ = false;
    records_.clear();
    if (fileIndex_ < files_.size()) return {-1, "", f.name};
  }
  return {0, "", ""};
}

int ReplayJVLink::JVRTOpen(const std::string& dataspec, const std::string& key) {
  int code = 0;
  if (Injected("JVRTOpen", code)) return code;
  if (!initialised_) return -201;
  if (mode_ != Mode::Closed) return -202;
  if (dataspec == "0B30") {
    if (!AllDigits(key, 16)) return -114;
  } else if (dataspec == "0B12" || dataspec == "0B14") {
    if (!AllDigits(key, 8)) return -114;
  } else {
    return -111;
  }
  const fs::path path = PathFromUtf8(feed_) / dataspec / (key + ".txt");
  std::error_code ec;
  if (!fs::exists(path, ec)) return -1;
  std::string data;
  if (!ReadFile(path, data)) return -1;
  // Lines "yyyymmddhhnnss record": the records published by now, the latest of each kind.
  const std::string now = NowStamp();
  std::vector<std::string> recs;
  for (const std::string& line : SplitRecords(data)) {
    if (line.size() < 17 || line[14] != ' ') continue;
    if (line.compare(0, 14, now) > 0) continue;
    recs.push_back(line.substr(15));
  }
  std::map<std::string, size_t> lastOf;
  for (size_t i = 0; i < recs.size(); ++i) lastOf[Identity(recs[i])] = i;
  records_.clear();
  for (size_t i = 0; i < recs.size(); ++i)
    if (lastOf[Identity(recs[i])] == i) records_.push_back(recs[i]);
  if (records_.empty()) return -1;
  mode_ = Mode::RealTime;
  cancelled_ = false;
  recordIndex_ = 0;
  return 0;
}

void ReplayJVLink::JVCancel() {
  if (mode_ != Mode::Closed) cancelled_ = true;
}

int ReplayJVLink::JVClose() {
  mode_ = Mode::Closed;
  cancelled_ = false;
  files_.clear();
  records_.clear();
  fileIndex_ = recordIndex_ = 0;
  fileLoaded_ = false;
  downloadCount_ = downloaded_ = 0;
  int code = 0;
  if (Injected("JVClose", code)) return code;
  return 0;
}

}  // namespace kv
