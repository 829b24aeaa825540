#pragma once
// The session file "handles.dat" in the documents folder: the objects the user has seen with one camera, kept
// so that the same camera connected again can show them without shooting.
//
// It is one XML property list written whole and atomically. The current form is a dictionary with both kinds of
// entry, {"handles": [numbers], "fileNames": [strings]}, so that a session that saw camera objects and card files
// keeps both. The older form, one array of either numbers (handles) or strings (names of files on the device's SD
// card), still reads.
//
// Reading never trusts the file: a file that is not a property list, has another type at the top, or holds an
// entry that is no usable handle or name is unreadable as a whole. loadSessionFile moves such a file aside
// ("handles.dat.corrupt"), says so in the system log and gives an empty session.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SessionFileContents {
  std::vector<uint32_t> handles;
  std::vector<std::string> fileNames;

  bool operator==(const SessionFileContents&) const = default;
};

struct SessionFileReadResult {
  enum Status { Ok, Missing, Unreadable };
  Status status = Missing;
  SessionFileContents contents;  // empty unless Ok
  std::string error;             // why it is unreadable
};

inline constexpr const char* kSessionFileName = "handles.dat";
// A name is kept in a record's 256-byte field with its terminator.
inline constexpr size_t kSessionFileNameMax = 255;

// "<documents folder>/handles.dat"; empty when there is no documents folder.
std::string sessionFilePath();

// The contents of the bytes of a session file.
SessionFileReadResult parseSessionFile(const void* data, size_t size);
// Reads the file at `path` (Missing when there is none).
SessionFileReadResult readSessionFile(const std::string& path);
// Reads the file; an unreadable one is moved aside and logged, and counts as an empty session (Unreadable is
// still reported, with the contents empty).
SessionFileReadResult loadSessionFile(const std::string& path);
// Writes both arrays atomically. Returns the error, or an empty string on success.
std::string writeSessionFile(const std::string& path, const SessionFileContents& contents);
// Deletes the file; a missing file is no error. False when it is still there.
bool removeSessionFile(const std::string& path);

// The session's high mark: the largest stored handle, compared unsigned, or none when no handle is stored, so
// that handles of 0x80000000 and above count like any other.
std::optional<uint32_t> sessionHighMark(const std::vector<uint32_t>& handles);
// The camera's handles newer than the mark, in the camera's order. With no mark, `noneMeansAll` decides whether
// every handle or none is newer.
std::vector<uint32_t> handlesAboveHighMark(const std::vector<uint32_t>& cameraHandles, std::optional<uint32_t> mark,
                                           bool noneMeansAll);
