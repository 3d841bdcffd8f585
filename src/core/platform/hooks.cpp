#include "core/platform/hooks.h"

#include <utility>

namespace {
PlatformHooks g_hooks;
}

void SetPlatformHooks(PlatformHooks hooks) { g_hooks = std::move(hooks); }

void PumpMessages() {
  if (g_hooks.pumpMessages) g_hooks.pumpMessages();
}

WaitCursor::WaitCursor() {
  if (g_hooks.beginWaitCursor) g_hooks.beginWaitCursor();
}

WaitCursor::~WaitCursor() {
  if (g_hooks.endWaitCursor) g_hooks.endWaitCursor();
}
