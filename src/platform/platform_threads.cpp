// Worker threads with a stack of a chosen size. Both builds use POSIX
// threads (winpthreads on Windows, a Win32 thread underneath): a bare
// CreateThread thread hangs at exit in the mingw runtime while it runs the
// destructors of its thread-local objects.
#include <pthread.h>

#include <cstdint>
#include <functional>
#include <limits>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native::Platform {

namespace {
void* ThreadEntry(void* arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return nullptr;
}
}  // namespace

bool RunOnNewThread(size_t stackBytes, const std::function<void()>& body) {
#if defined(_WIN32)
  // winpthreads hands the stack size on to the system as 32 bits.
  if (stackBytes > std::numeric_limits<uint32_t>::max()) return false;
#endif
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_t thread;
  const bool created = pthread_attr_setstacksize(&attr, stackBytes) == 0 &&
                       pthread_create(&thread, &attr, &ThreadEntry, const_cast<std::function<void()>*>(&body)) == 0;
  pthread_attr_destroy(&attr);
  if (!created) return false;
  pthread_join(thread, nullptr);
  return true;
}

}  // namespace Quillfern::ZoCodeInspections::Native::Platform
