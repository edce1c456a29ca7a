#pragma once

#include "ProtocolDataUnit.h"

// Notice request (10006), sent after a successful login.
class TProtocolDownNotice : public TProtocolUserNameData {
public:
    TProtocolDownNotice() : TProtocolUserNameData(PROTOCOL_NOTICE) {}
};
