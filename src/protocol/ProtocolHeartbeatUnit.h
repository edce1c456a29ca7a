#pragma once

#include "ProtocolDataUnit.h"

// Heartbeat (10000), sent every 10 seconds while logged in.
class TProtocolHeartbeat : public TProtocolUserNameData {
public:
    TProtocolHeartbeat() : TProtocolUserNameData(PROTOCOL_HEARTBEAT) {}
};
