// A PostgreSQL server of the test's own: Debian's server on a cluster made in a temporary folder,
// reached through a Unix socket in that folder alone (no network), stopped when the object goes.
#pragma once

#include <string>

#include "io_test_support.h"

// Runs a shell command and gives its output (standard error included); raises when it fails.
std::string RunCommand(const std::string& command);

class TPostgresServer {
 public:
  static constexpr int kPort = 54329;
  // Only "reader" logs in with a password (scram-sha-256); every other role is trusted.
  static constexpr const char* kPasswordRole = "reader";

  TPostgresServer() = default;
  ~TPostgresServer() { Stop(); }
  TPostgresServer(const TPostgresServer&) = delete;
  TPostgresServer& operator=(const TPostgresServer&) = delete;
  void Start();
  void Stop();
  // The client's command with the server's socket, port and superuser: "psql", "pg_dump".
  std::string Client(const std::string& program) const;
  const TTempFolder& Folder() const { return folder_; }

 private:
  std::string Server(const std::string& program) const;
  TTempFolder folder_;
  std::string bin_;
  bool started_ = false;
};
