#pragma once
// The session file "handles.dat" in the documents folder: the objects the user has seen with one camera, kept
// so that the same camera connected again can show them without shooting.
//
// It is one XML property list written whole and atomically, with the entries added since in a journal beside it
// ("handles.dat.added", one line per entry: "h <handle>" or "n <name in hex>"), so that a long shoot does not
// rewrite the whole list for every picture. Reading takes the list and then the journal's lines; a line cut short
// by an interrupted append (no line end) is left out, and an entry already in the list counts once. A whole
// write folds the journal in and removes it. A journal without its list means nothing: the adder writes the list
// first. The current form is a dictionary with both kinds of
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
// Writes both arrays atomically and removes the journal. Returns the error, or an empty string on success.
std::string writeSessionFile(const std::string& path, const SessionFileContents& contents);
// Adds the entries to the journal beside the file (created when missing; the list should be there) with one append. Returns the error, or an
// empty string on success.
std::string appendToSessionFile(const std::string& path, const SessionFileContents& added);
// "<path>.added": the journal of the file at `path`.
std::string sessionJournalPath(const std::string& path);
// Journal lines after which the adder writes the file whole again (reading the journal costs a line each).
inline constexpr size_t kSessionJournalMax = 256;
// Deletes the file and its journal; a missing file is no error. False when either is still there.
bool removeSessionFile(const std::string& path);

// The session's high mark: the largest stored handle, compared unsigned, or none when no handle is stored, so
// that handles of 0x80000000 and above count like any other.
std::optional<uint32_t> sessionHighMark(const std::vector<uint32_t>& handles);
// The camera's handles newer than the mark, in the camera's order. With no mark, `noneMeansAll` decides whether
// every handle or none is newer.
std::vector<uint32_t> handlesAboveHighMark(const std::vector<uint32_t>& cameraHandles, std::optional<uint32_t> mark,
                                           bool noneMeansAll);
// The camera's handles that the session lacks, in the camera's order: those at or above the session's low mark (the
// smallest handle stored by earlier connections, compared unsigned) that are in neither list. A high mark would
// miss a picture taken while away once later pictures joined the session before a reload got to it (a reload cut
// by a dropped link). With nothing stored, `noneMeansAll` decides whether every handle or none counts.
std::vector<uint32_t> handlesMissedBySession(const std::vector<uint32_t>& cameraHandles,
                                             const std::vector<uint32_t>& stored, const std::vector<uint32_t>& session,
                                             bool noneMeansAll);
// The same for a device's card listing, in the card's order: the names from the first stored name on the card on
// that are in neither list. With no stored name on the card, `noneMeansAll` decides.
std::vector<std::string> namesMissedBySession(const std::vector<std::string>& card,
                                              const std::vector<std::string>& stored,
                                              const std::vector<std::string>& session, bool noneMeansAll);
