#pragma once

namespace corvane {

// The process holds API keys in memory: no core file is written for it, and
// on Linux no other process of the user may attach to it or read its memory.
// Called first thing by both front ends; failures are ignored (the limits
// only narrow what could leak).
void keepMemoryPrivate();

}  // namespace corvane
