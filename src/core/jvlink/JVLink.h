#pragma once
// The JV-Link component as the program sees it. On this platform the real component is replaced
// by ReplayJVLink (a feed folder) and, in tests, by ScriptedJVLink.
#include <string>

namespace kv {

struct JVOpenResult {
  int code = 0;           // 0 opened, -1 nothing newer, other = error
  int readCount = 0;      // files to read
  int downloadCount = 0;  // files to download first
  std::string lastFileTimestamp;  // 14 digits yyyymmddhhnnss, or blank / "00000000000000"
};

struct JVReadResult {
  // > 0: record holds one JV-Data record (CP932, ending in CR LF) and code is its length;
  // 0 all read; -1 next file; -3 file still downloading (-2 or -3: call again); < -3 error.
  int code = 0;
  std::string record;
  std::string fileName;
};

class JVLink {
 public:
  virtual ~JVLink() = default;

  // Creating the component (ProgID "JVDTLab.JVLink"): false when it is not installed.
  virtual bool Available() const = 0;
  virtual int JVInit(const std::string& sid) = 0;
  // The component's version property: a 4-character text such as "0490".
  virtual std::string Version() const = 0;
  virtual int JVSetUIProperties() = 0;
  // dataspec "RACEDIFN", fromTime 14 digits, option 1 (normal) or 3 (set-up data).
  virtual JVOpenResult JVOpen(const std::string& dataspec, const std::string& fromTime, int option) = 0;
  // Files downloaded so far (0 up to the download count); negative = error.
  virtual int JVStatus() = 0;
  // bufferSize: 100000 (accumulated data, odds) or 60000 (results, change information).
  virtual JVReadResult JVRead(int bufferSize) = 0;
  // "0B30" + 16-byte race key, "0B12" + date, "0B14" + date.
  virtual int JVRTOpen(const std::string& dataspec, const std::string& key) = 0;
  virtual void JVCancel() = 0;
  virtual int JVClose() = 0;
};

// The software identifier passed to JVInit.
inline constexpr const char* kJVSoftwareId = "SQ718204/SR930517/QvmPelteRKA/Ver.2.20";

}  // namespace kv
