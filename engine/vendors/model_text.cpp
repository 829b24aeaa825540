#include "engine/vendors/model_text.h"

#include <cctype>

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string modelTextUpper(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool modelTextNames(const std::string& upperText, const char* part) {
    const std::string wanted = modelTextUpper(part ? part : "");
    if (wanted.empty()) return false;
    for (size_t at = upperText.find(wanted); at != std::string::npos; at = upperText.find(wanted, at + 1)) {
        const size_t end = at + wanted.size();
        const bool digitBefore = at > 0 && isDigit(upperText[at - 1]);
        const bool digitAfter = end < upperText.size() && isDigit(upperText[end]);
        if (!digitBefore && !digitAfter) return true;
    }
    return false;
}
