#include "platform/graphics/font_manager.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace platform {

std::vector<std::string> availableFonts() {
    std::vector<std::string> names;
    FcConfig* config = FcConfigGetCurrent();  // initialises fontconfig on first use
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_POSTSCRIPT_NAME, nullptr), FcObjectSetDestroy);
    if (!pattern || !objects) return names;
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(config, pattern.get(), objects.get()), FcFontSetDestroy);
    if (!fonts) return names;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_POSTSCRIPT_NAME, 0, &name) == FcResultMatch && name)
            names.emplace_back(reinterpret_cast<const char*>(name));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> missingFonts(const std::vector<std::string>& required) {
    const std::vector<std::string> installed = availableFonts();
    std::vector<std::string> missing;
    for (const std::string& name : required) {
        if (!std::binary_search(installed.begin(), installed.end(), name)) missing.push_back(name);
    }
    return missing;
}

}  // namespace platform
