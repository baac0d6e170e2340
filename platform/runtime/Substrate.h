#pragma once

// The method-hooking runtime's interface.

#include "runtime/objc.h"

// Replaces the implementation of `sel` on `cls` and stores the previous one in *result.
// When `cls` only inherits the method, the replacement is added to `cls` itself and *result
// forwards to the superclass's implementation at the time of each call; the superclass is left
// as it was. Hooking twice chains.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* result);
