#pragma once

#include <functional>

// Runs work on a thread of its own and waits at most ms for it: false when it has not finished
// by then, so that a read that would hang fails its test instead of blocking the run. Work that
// is still running is left to run on (the thread is detached): it must own what it uses.
bool FinishesWithin(int ms, std::function<void()> work);
