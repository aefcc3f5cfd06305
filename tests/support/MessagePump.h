#pragma once

namespace testsupport {

// Dispatches every message waiting for the calling thread (graph notifications among them)
// and returns once the queue is empty.
void PumpMessages();

}  // namespace testsupport
