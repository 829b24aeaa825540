#pragma once
// The state colours of the value mapping: highlighted blue, disabled grey, otherwise white. Which flag wins when
// both are set differs by selector, so each names its precedence.

#include "icons/properties/property_icon_catalogue.h"

namespace icons {

enum class StatePrecedence { DisabledWins, HighlightedWins };

// Sets r, g, b of the parameters for the state.
IconParams stateColor(bool isHighlighted, bool isDisabled, StatePrecedence precedence);

}  // namespace icons
