#pragma once
// korvan's SEG-Y export uses the suite's one EBCDIC table (common/ebcdic.hpp).
#include "common/ebcdic.hpp"

namespace keld::korvan {

using keld::Ascii_Ebcdic;
using keld::Hex_Octet;
using keld::Inverse_Octets;
using keld::Table_Ebcdic;

}  // namespace keld::korvan
