#pragma once

#include "ProtocolDataUnit.h"

// Profile request (10002), sent after a successful login.
class TProtocolDownUserInfo : public TProtocolUserNameData {
public:
    TProtocolDownUserInfo() : TProtocolUserNameData(PROTOCOL_DOWNUSERINFO) {}
};
