#pragma once
// The font manager's view of what is installed: fonts by their PostScript names (as interface files and
// documents name them, "LiberationSans-Bold"), read from the system's font configuration.
#include <string>
#include <vector>

namespace platform {

// The PostScript names of the installed fonts, sorted, each once.
std::vector<std::string> availableFonts();
// Those of `required` that are not installed, in the order given.
std::vector<std::string> missingFonts(const std::vector<std::string>& required);

}  // namespace platform
