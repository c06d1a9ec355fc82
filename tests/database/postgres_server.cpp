#include "postgres_server.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "text.h"

std::string RunCommand(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (::pclose(pipe) != 0) throw std::runtime_error(command + " failed: " + output);
  return output;
}

// PostgreSQL's server refuses to run as the superuser: as root (in CI) it runs as the package's user,
// who is given the folder.
std::string TPostgresServer::Server(const std::string& program) const {
  return (::geteuid() == 0 ? "runuser -u postgres -- " : "") + bin_ + "/" + program + " -D " + folder_ / "data";
}

std::string TPostgresServer::Client(const std::string& program) const {
  return program + " -h " + folder_.Path().string() + " -p " + std::to_string(kPort) + " -U postgres";
}

void TPostgresServer::Start() {
  bin_ = Trim(RunCommand("pg_config --bindir"));
  const passwd* user = ::getpwnam("postgres");
  if (::geteuid() == 0 && (!user || ::chown(folder_.Path().c_str(), user->pw_uid, user->pw_gid) != 0))
    throw std::runtime_error("the postgres user cannot be given the server's folder");
  RunCommand(Server("initdb") + " -U postgres -A trust -E UTF8 --locale=C --no-sync");
  WriteBytes(folder_ / "data/pg_hba.conf", std::string("local all ") + kPasswordRole + " scram-sha-256\nlocal all all trust\n");
  started_ = true;
  RunCommand(Server("pg_ctl") + " -w -l " + folder_ / "log" + " -o \"-k " + folder_.Path().string() + " -p " +
             std::to_string(kPort) + " -c listen_addresses='' -c fsync=off\" start");
}

void TPostgresServer::Stop() {
  if (started_ && std::system((Server("pg_ctl") + " -m immediate stop > /dev/null 2>&1").c_str()) != 0)
    std::fprintf(stderr, "the test's PostgreSQL server in %s did not stop\n", folder_.Path().c_str());
  started_ = false;
}
