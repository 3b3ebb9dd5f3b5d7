#pragma once
// A JVLink whose answers a test scripts: a queue of results per operation, and a record of
// every call made. When an operation's queue is empty it answers with its default: success
// for JVInit/JVSetUIProperties/JVOpen/JVRTOpen/JVClose, the last open's download count for
// JVStatus (every file downloaded), 0 (all read) for JVRead.
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "jvlink/JVLink.h"

namespace kv::test {

class ScriptedJVLink : public JVLink {
 public:
  struct Call {
    Call(std::string o, std::string a1 = {}, std::string a2 = {}, int n = 0)
        : op(std::move(o)), arg1(std::move(a1)), arg2(std::move(a2)), number(n) {}
    std::string op;    // "JVInit", "JVOpen", …
    std::string arg1;  // sid / dataspec
    std::string arg2;  // from-time / key
    int number = 0;    // option / buffer size
  };

  // Script.
  bool available = true;
  std::string version = "0490";
  std::deque<int> initCodes, setUICodes, statusCodes, rtOpenCodes, closeCodes;
  std::deque<JVOpenResult> openResults;
  std::deque<JVReadResult> reads;
  // Called at the start of every operation with its name (e.g. to fire a timer mid-read).
  std::function<void(const std::string& op)> onCall;

  // Queues one record for JVRead (code = its length, as JV-Link answers).
  void AddRecord(const std::string& record, const std::string& fileName = {}) {
    reads.push_back(JVReadResult{static_cast<int>(record.size()), record, fileName});
  }
  // Queues a bare JVRead result code (0 all read, -1 next file, -3 downloading, errors).
  void AddReadCode(int code) { reads.push_back(JVReadResult{code, {}, {}}); }

  // Record.
  std::vector<Call> calls;
  int CountCalls(const std::string& op) const {
    int n = 0;
    for (const Call& c : calls) n += c.op == op;
    return n;
  }
  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(c.op);
    return names;
  }

  bool Available() const override { return available; }
  std::string Version() const override { return version; }
  int JVInit(const std::string& sid) override { return Take(initCodes, 0, {"JVInit", sid}); }
  int JVSetUIProperties() override { return Take(setUICodes, 0, {"JVSetUIProperties"}); }
  JVOpenResult JVOpen(const std::string& dataspec, const std::string& fromTime, int option) override {
    Note({"JVOpen", dataspec, fromTime, option});
    JVOpenResult r;
    if (!openResults.empty()) {
      r = openResults.front();
      openResults.pop_front();
    }
    lastDownloadCount_ = r.downloadCount;
    return r;
  }
  int JVStatus() override { return Take(statusCodes, lastDownloadCount_, {"JVStatus"}); }
  JVReadResult JVRead(int bufferSize) override {
    Note({"JVRead", {}, {}, bufferSize});
    if (reads.empty()) return JVReadResult{};
    JVReadResult r = reads.front();
    reads.pop_front();
    return r;
  }
  int JVRTOpen(const std::string& dataspec, const std::string& key) override {
    return Take(rtOpenCodes, 0, {"JVRTOpen", dataspec, key});
  }
  void JVCancel() override { Note({"JVCancel"}); }
  int JVClose() override { return Take(closeCodes, 0, {"JVClose"}); }

 private:
  void Note(Call c) {
    calls.push_back(c);
    if (onCall) onCall(c.op);
  }
  int Take(std::deque<int>& q, int fallback, Call c) {
    Note(std::move(c));
    if (q.empty()) return fallback;
    int v = q.front();
    q.pop_front();
    return v;
  }

  int lastDownloadCount_ = 0;
};

}  // namespace kv::test
