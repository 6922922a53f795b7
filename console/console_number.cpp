#include "console/console.hpp"
#include "convert/plain_number.hpp"

namespace durno {

void Console::writeNumber(long double value) { writeText(plainNumberText(value)); }

}  // namespace durno
