#include "foundation/NSLog.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include "foundation/CLocale.h"

void NSLog(const char* format, ...) {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[40];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);

  va_list args;
  va_start(args, format);
  foundation::CLocaleScope cLocale;
  char* message = nullptr;
  int length = vasprintf(&message, format, args);
  va_end(args);
  if (length < 0) return;
  std::fprintf(stderr, "%s.%03ld %s[%d] %s\n", stamp, static_cast<long>(now.tv_usec / 1000),
               program_invocation_short_name, static_cast<int>(getpid()), message);
  std::free(message);
}
