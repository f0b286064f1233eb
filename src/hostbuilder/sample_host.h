#pragma once

#include <QString>

#include "platform/result.h"

namespace brindle::fixture {

class HostBuilder;

// Fills `host` with `subscribers` realistic subscribers (deterministic for a seed): names,
// extensions, classes of service, schedules, switches, message-waiting devices, credentials,
// greetings, caller input keys with real targets, mailboxes and voice names, plus a few
// deliberately awkward ones. Subscribers are made as they are written, so a host of 100,000
// needs little memory.
void generateSample(HostBuilder& host, int subscribers, quint32 seed);

}  // namespace brindle::fixture
