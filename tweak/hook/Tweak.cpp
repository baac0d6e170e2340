// The entry of the add-on library: its only static initialiser, run when the hooking runtime
// loads the library into a process.

#include "hook/ThreadTitleHook.h"

__attribute__((constructor)) static void ParloTweakDidLoad() {
  ThreadTitleHook::load();
}
