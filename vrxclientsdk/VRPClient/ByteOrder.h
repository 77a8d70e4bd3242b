// The byte-order helpers under their earlier names, for code that has not
// moved to platform/byte_order.h yet (the USB-sharing library).
#pragma once

#include "platform/byte_order.h"

namespace byteorder {

using platform::GetU16BE;
using platform::GetU16LE;
using platform::GetU32BE;
using platform::PutU16BE;
using platform::PutU16LE;
using platform::PutU32BE;
using platform::PutU32LE;

}  // namespace byteorder
