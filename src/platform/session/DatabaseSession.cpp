#include "DatabaseSession.h"

#include <mutex>

namespace orba::session {

namespace {
std::mutex g_mutex;
std::string g_lockDirectory;
}  // namespace

void setSharedLockDirectory(const std::string& directory) {
  std::lock_guard lock(g_mutex);
  g_lockDirectory = directory;
}

std::string sharedLockDirectory() {
  std::lock_guard lock(g_mutex);
  return g_lockDirectory;
}

}  // namespace orba::session
