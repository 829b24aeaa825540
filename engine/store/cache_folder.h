#pragma once
// Housekeeping of the cache folder: emptying it and ageing it. Both work on the folder's own entries only:
// a symbolic link is removed as a link and never followed, nothing outside the folder is deleted, and the save
// folder (the user's downloads) is never touched, also when it lies inside the cache folder or is the cache
// folder itself.
#include <cstdint>
#include <ctime>
#include <string>

inline constexpr int64_t kCacheMaxAgeSeconds = 259200;  // three days

// Removes everything inside `folder` but the save folder (and the folders that lead to it), then the folder
// itself when it is left empty. False with `error` set when something could not be removed; a missing folder
// counts as removed.
bool cacheFolderEmpty(const std::string& folder, const std::string& saveFolder, std::string* error);

// Ages the entries directly inside `folder` (files, links and subfolders alike): every entry last modified more
// than three days before `now` is removed. Then, when `maxBytes` is positive and the entries left still hold more
// than that (a subfolder counts with everything in it; links count as themselves), the least recently modified
// entries are removed until they fit. Entries whose attributes cannot be read stay; removal failures are ignored.
// Nothing is removed when the save folder is the cache folder or lies inside it.
void cacheFolderAge(const std::string& folder, int64_t maxBytes, const std::string& saveFolder, time_t now);
