#pragma once

#include <string>

#include "convert/extended_format.hpp"

namespace durno {

// The mask-less text of a number: a sign place (blank or '-'), at most 15 significant
// digits rounded on the 16th alone, no '0' before a point ('.5'), the exponent form
// outside 1E-15..1E+15 ('1E+15', '1.23456789012E-7'), and one trailing blank. Zero of
// either sign is ' 0 '.
std::string plainNumberText(long double x);

}  // namespace durno
