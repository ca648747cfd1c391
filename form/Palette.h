#pragma once

#include "form/ColorRef.h"

namespace form {

// The platform's 16-colour palette, indexed 0 to 15.
ColorRef qbColor(int index);

} // namespace form
