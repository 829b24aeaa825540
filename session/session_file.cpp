// The session file: its two forms, reading without trust, atomic writing, and the high mark of stored handles.
#include "session/session_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <vector>

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

std::string sessionJournalPath(const std::string& path) { return path + ".added"; }

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One journal line (without its end) into the contents; false for anything that is no handle or usable name.
bool takeJournalLine(const std::string& line, SessionFileContents* into) {
  if (line.size() < 3 || line[1] != ' ') return false;
  const std::string text = line.substr(2);
  if (line[0] == 'h') {
    if (text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const uint64_t n = std::stoull(text);
    if (n > std::numeric_limits<uint32_t>::max()) return false;
    into->handles.push_back(static_cast<uint32_t>(n));
    return true;
  }
  if (line[0] != 'n' || text.size() % 2 != 0 || text.size() / 2 > kSessionFileNameMax) return false;
  std::string name;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    name.push_back(static_cast<char>(hi * 16 + lo));
  }
  if (name.find('\0') != std::string::npos) return false;
  into->fileNames.push_back(name);
  return true;
}

// The journal's entries that the contents lack, added to them.
bool applyJournal(const std::vector<uint8_t>& bytes, SessionFileContents* contents, std::string* error) {
  SessionFileContents added;
  size_t start = 0;
  for (size_t end; (end = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())
                              .find('\n', start)) != std::string_view::npos;
       start = end + 1) {
    // An append cut short leaves a last line without its end: that entry was never reported as kept.
    const std::string line(reinterpret_cast<const char*>(bytes.data()) + start, end - start);
    if (!takeJournalLine(line, &added)) {
      *error = "a journal line that is no entry";
      return false;
    }
  }
  std::unordered_set<uint32_t> handles(contents->handles.begin(), contents->handles.end());
  for (uint32_t h : added.handles)
    if (handles.insert(h).second) contents->handles.push_back(h);
  std::unordered_set<std::string> names(contents->fileNames.begin(), contents->fileNames.end());
  for (std::string& n : added.fileNames)
    if (names.insert(n).second) contents->fileNames.push_back(std::move(n));
  return true;
}

}  // namespace

SessionFileReadResult readSessionFile(const std::string& path) {
  std::error_code ec;
  if (path.empty()) return {};
  const std::string journal = sessionJournalPath(path);
  // A journal counts only beside its list: the adder writes the list first, and a list removed (a session
  // forgotten) leaves whatever journal is left over without meaning.
  if (!std::filesystem::exists(path, ec)) return {};
  std::string error;
  const auto bytes = platform::readWholeFile(path, platform::PropertyList::kMaxSize, &error);
  if (!bytes) return unreadable(error);
  SessionFileReadResult result = parseSessionFile(bytes->data(), bytes->size());
  if (result.status != SessionFileReadResult::Ok) return result;
  if (std::filesystem::exists(journal, ec)) {
    const auto bytes = platform::readWholeFile(journal, platform::PropertyList::kMaxSize, &error);
    if (!bytes || !applyJournal(*bytes, &result.contents, &error)) return unreadable(error);
  }
  return result;
}

SessionFileReadResult loadSessionFile(const std::string& path) {
  SessionFileReadResult result = readSessionFile(path);
  if (result.status != SessionFileReadResult::Unreadable) return result;
  const std::string aside = path + ".corrupt";
  std::error_code ec;
  // The journal goes with the list: alone, its entries would read as the whole session.
  std::filesystem::rename(sessionJournalPath(path), sessionJournalPath(aside), ec);
  if (ec) std::filesystem::remove(sessionJournalPath(path), ec);
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
  std::string error = platform::PropertyList::write(path, platform::Value(std::move(root)));
  // The list now holds what the journal added (a journal left by a failed removal only repeats entries).
  std::error_code ec;
  if (error.empty()) std::filesystem::remove(sessionJournalPath(path), ec);
  return error;
}

std::string appendToSessionFile(const std::string& path, const SessionFileContents& added) {
  if (path.empty()) return "no documents folder";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string lines;
  for (uint32_t h : added.handles) lines += "h " + std::to_string(h) + "\n";
  for (const std::string& n : added.fileNames) {
    if (n.empty() || n.size() > kSessionFileNameMax || n.find('\0') != std::string::npos) return "an unusable file name";
    lines += "n ";
    for (unsigned char c : n) {
      lines.push_back(kHex[c >> 4]);
      lines.push_back(kHex[c & 15]);
    }
    lines += "\n";
  }
  if (lines.empty()) return {};
  const std::string journal = sessionJournalPath(path);
  const int fd = ::open(journal.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return journal + ": " + std::strerror(errno);
  std::string error;
  // A line an earlier append left without its end (a crash, a full disk) goes first: the lines below would
  // otherwise continue it into an entry nobody added.
  const off_t size = ::lseek(fd, 0, SEEK_END);
  off_t whole = size;
  char last = '\n';
  if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n') {
    std::vector<char> bytes(static_cast<size_t>(size));
    whole = ::pread(fd, bytes.data(), bytes.size(), 0) == size ? 0 : -1;
    for (off_t i = size; whole == 0 && i > 0; --i)
      if (bytes[static_cast<size_t>(i - 1)] == '\n') whole = i;
    if (whole < 0 || ::ftruncate(fd, whole) != 0) error = journal + ": its last line cannot be taken off";
  }
  // One write: a line is in the file whole or, cut by a crash, without its end and left out by the reader.
  ssize_t n = 0;
  if (error.empty()) {
    do n = ::write(fd, lines.data(), lines.size());
    while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(lines.size())) {
      error = journal + ": " + (n < 0 ? std::strerror(errno) : "short write");
      if (n > 0 && ::ftruncate(fd, whole) != 0) error += " (cut line left)";
    }
  }
  // Not synced per entry: an entry lost to a power cut is a picture the next reload finds missing from the
  // session and announces again, while the record of its download (synced by the object cache) keeps it from
  // being downloaded twice.
  ::close(fd);
  return error;
}

bool removeSessionFile(const std::string& path) {
  if (path.empty()) return true;
  std::error_code ec;
  std::filesystem::remove(path, ec);
  std::filesystem::remove(sessionJournalPath(path), ec);
  return !std::filesystem::exists(path, ec) && !std::filesystem::exists(sessionJournalPath(path), ec);
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

std::vector<uint32_t> handlesMissedBySession(const std::vector<uint32_t>& cameraHandles,
                                             const std::vector<uint32_t>& stored, const std::vector<uint32_t>& session,
                                             bool noneMeansAll) {
  std::vector<uint32_t> out;
  if (stored.empty() && !noneMeansAll) return out;
  const uint32_t low = stored.empty() ? 0 : *std::min_element(stored.begin(), stored.end());
  std::unordered_set<uint32_t> known(stored.begin(), stored.end());
  known.insert(session.begin(), session.end());
  for (uint32_t h : cameraHandles)
    if (h >= low && !known.count(h)) out.push_back(h);
  return out;
}

std::vector<std::string> namesMissedBySession(const std::vector<std::string>& card,
                                              const std::vector<std::string>& stored,
                                              const std::vector<std::string>& session, bool noneMeansAll) {
  std::vector<std::string> out;
  std::unordered_set<std::string> known(stored.begin(), stored.end());
  size_t first = card.size();
  for (size_t i = 0; i < card.size() && first == card.size(); ++i)
    if (known.count(card[i])) first = i;
  if (first == card.size()) {
    if (!noneMeansAll) return out;
    first = 0;
  }
  known.insert(session.begin(), session.end());
  for (size_t i = first; i < card.size(); ++i)
    if (!known.count(card[i])) out.push_back(card[i]);
  return out;
}
