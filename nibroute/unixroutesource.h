#pragma once
// Live pen events from a Unix stream socket (a pen emulator's live socket):
// a stream of 6-byte ZMTEvent records, little-endian (u16 type, s16 x, s16 y).
// Records may arrive split across reads; the peer closing the socket is the
// receiver going away.

#include <cstdint>
#include <string>
#include <vector>

#include "nibroute/recordjoiner.h"
#include "nibroute/routesource.h"

namespace nibroute {

class UnixRouteSource : public RouteSource {
 public:
  explicit UnixRouteSource(std::string path) : m_path(std::move(path)) {}
  ~UnixRouteSource() override { Stop(); }

 protected:
  int OpenDescriptor() override;
  bool ReadAvailable(int fd, RouteSink& sink) override;

 private:
  std::string m_path;
  RecordJoiner m_joiner;
  std::vector<ZMTEvent> m_events;  // the records of one read
};

}  // namespace nibroute
