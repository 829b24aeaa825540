// The session file: its two forms, reading without trust, atomic writing, and the high mark of stored handles.
#include "session/session_file.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "platform/foundation/files.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/value.h"

namespace {

constexpr const char* kHandlesKey = "handles";
constexpr const char* kFileNamesKey = "fileNames";

// One entry of either kind into the contents; false for anything that is no handle or usable name. Handles were
// stored as numbers of either sign by older writers, so a negative 32-bit value stands for its unsigned bits.
bool takeEntry(const platform::Value& entry, SessionFileContents* into, std::string* error) {
  if (entry.type() == platform::Value::Type::Integer) {
    const int64_t n = entry.toInteger();
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<uint32_t>::max()) {
      *error = "a handle out of range";
      return false;
    }
    into->handles.push_back(static_cast<uint32_t>(n));
    return true;
  }
  if (entry.type() == platform::Value::Type::String) {
    const std::string name = entry.toString();
    if (name.empty() || name.size() > kSessionFileNameMax || name.find('\0') != std::string::npos) {
      *error = "an unusable file name";
      return false;
    }
    into->fileNames.push_back(name);
    return true;
  }
  *error = std::string("an entry of type ") + platform::Value::typeName(entry.type());
  return false;
}

bool takeArray(const platform::Value& array, platform::Value::Type kind, SessionFileContents* into,
               std::string* error) {
  for (const platform::Value& entry : array.toArray()) {
    if (kind != platform::Value::Type::Null && entry.type() != kind) {
      *error = std::string("an entry of type ") + platform::Value::typeName(entry.type());
      return false;
    }
    if (!takeEntry(entry, into, error)) return false;
  }
  return true;
}

SessionFileReadResult unreadable(std::string error) {
  SessionFileReadResult r;
  r.status = SessionFileReadResult::Unreadable;
  r.error = std::move(error);
  return r;
}

}  // namespace

std::string sessionFilePath() {
  const std::string documents = platform::documentsFolder();
  if (documents.empty()) return {};
  return documents + "/" + kSessionFileName;
}

SessionFileReadResult parseSessionFile(const void* data, size_t size) {
  const platform::PropertyList::Result parsed = platform::PropertyList::parse(data, size);
  if (!parsed.ok()) return unreadable(parsed.error);
  SessionFileReadResult result;
  result.status = SessionFileReadResult::Ok;
  std::string error;
  const platform::Value& root = parsed.value;
  if (root.type() == platform::Value::Type::Array) {
    // The older form: one array of handles or of names (a mix of the two is taken as it comes).
    if (!takeArray(root, platform::Value::Type::Null, &result.contents, &error)) return unreadable(error);
    return result;
  }
  if (root.type() != platform::Value::Type::Dictionary) {
    return unreadable(std::string("a ") + platform::Value::typeName(root.type()) + " at the top");
  }
  for (const auto& [key, kind] : {std::pair{kHandlesKey, platform::Value::Type::Integer},
                                  std::pair{kFileNamesKey, platform::Value::Type::String}}) {
    const platform::Value& array = root[key];
    if (array.isNull()) continue;  // a form that has only one kind so far
    if (array.type() != platform::Value::Type::Array) return unreadable(std::string("\"") + key + "\" is no array");
    if (!takeArray(array, kind, &result.contents, &error)) return unreadable(error);
  }
  return result;
}

SessionFileReadResult readSessionFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return {};
  std::string error;
  const auto bytes = platform::readWholeFile(path, platform::PropertyList::kMaxSize, &error);
  if (!bytes) return unreadable(error);
  return parseSessionFile(bytes->data(), bytes->size());
}

SessionFileReadResult loadSessionFile(const std::string& path) {
  SessionFileReadResult result = readSessionFile(path);
  if (result.status != SessionFileReadResult::Unreadable) return result;
  const std::string aside = path + ".corrupt";
  std::error_code ec;
  std::filesystem::rename(path, aside, ec);
  if (ec) {
    // Left in place it would be refused again at every reload and overwritten by the next add.
    std::filesystem::remove(path, ec);
    platform::systemLogf(platform::LogLevel::Warning, "Session file %s unreadable (%s); removed", path.c_str(),
                         result.error.c_str());
  } else {
    platform::systemLogf(platform::LogLevel::Warning, "Session file %s unreadable (%s); moved to %s", path.c_str(),
                         result.error.c_str(), aside.c_str());
  }
  return result;
}

std::string writeSessionFile(const std::string& path, const SessionFileContents& contents) {
  if (path.empty()) return "no documents folder";
  platform::ValueArray handles, names;
  handles.reserve(contents.handles.size());
  for (uint32_t h : contents.handles) handles.emplace_back(h);
  names.reserve(contents.fileNames.size());
  for (const std::string& n : contents.fileNames) names.emplace_back(n);
  platform::ValueDictionary root{{kHandlesKey, platform::Value(std::move(handles))},
                                 {kFileNamesKey, platform::Value(std::move(names))}};
  return platform::PropertyList::write(path, platform::Value(std::move(root)));
}

bool removeSessionFile(const std::string& path) {
  if (path.empty()) return true;
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return !std::filesystem::exists(path, ec);
}

std::optional<uint32_t> sessionHighMark(const std::vector<uint32_t>& handles) {
  if (handles.empty()) return std::nullopt;
  return *std::max_element(handles.begin(), handles.end());
}

std::vector<uint32_t> handlesAboveHighMark(const std::vector<uint32_t>& cameraHandles, std::optional<uint32_t> mark,
                                           bool noneMeansAll) {
  std::vector<uint32_t> out;
  if (!mark && !noneMeansAll) return out;
  for (uint32_t h : cameraHandles)
    if (!mark || h > *mark) out.push_back(h);
  return out;
}
