#pragma once

// What a console host provides. The Console class applies every rule on top of this.
// (Placeholder: the console layer defines ScreenHost and KeySource here.)

namespace durno {

class ScreenHost;
class KeySource;

}  // namespace durno
