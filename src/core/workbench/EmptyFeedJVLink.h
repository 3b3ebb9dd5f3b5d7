#pragma once
// The JV-Link of a workbench that has no feed folder to replay: the component is there (it is
// part of the program on this platform) but holds no data, so every open answers that there is
// nothing newer and every read ends at once.
#include "jvlink/JVLink.h"
#include "jvlink/StartupChecks.h"

namespace kv {

class EmptyFeedJVLink : public JVLink {
 public:
  bool Available() const override { return true; }
  int JVInit(const std::string&) override { return 0; }
  std::string Version() const override { return kMinJVLinkVersion; }
  int JVSetUIProperties() override { return 0; }
  JVOpenResult JVOpen(const std::string&, const std::string&, int) override { return {-1, 0, 0, {}}; }
  int JVStatus() override { return 0; }
  JVReadResult JVRead(int) override { return {}; }
  int JVRTOpen(const std::string&, const std::string&) override { return -1; }
  void JVCancel() override {}
  int JVClose() override { return 0; }
};

}  // namespace kv
