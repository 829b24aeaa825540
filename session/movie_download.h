#pragma once
// Saving a movie from the camera (or the device's SD card) into a folder, in chunks of at most 2 MiB so that a
// long movie never sits in memory whole. The bytes go to "<name>.part", which is renamed over "<name>" only when
// every byte has arrived: a failed chunk, a failed write or a cancel removes the partial file and leaves an earlier
// file of that name as it was.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"

inline constexpr uint32_t kMovieChunkSize = 0x200000;  // 2 MiB

enum class MovieDownloadOutcome {
  Saved,
  Cancelled,
  BadName,          // the record's file name cannot be used as a file name
  CreateFailed,     // the partial file could not be created
  ChunkFailed,      // the device refused or lost a chunk (the code says why)
  WriteFailed,      // the partial file could not be written or renamed
};

struct MovieDownloadResult {
  MovieDownloadOutcome outcome = MovieDownloadOutcome::Saved;
  ResponseCode code = PTP_RC_OK;  // the chunk's code for ChunkFailed
  std::string path;               // the saved file for Saved
};

struct MovieDownloadHooks {
  // Set from any thread (the overlay's Cancel button); read between chunks.
  const std::atomic<bool>* cancel = nullptr;
  // After each chunk is written: the chunk's start offset as a fraction of the whole.
  std::function<void(double fraction)> progress;
};

// The movie's base name: the part of the record's file name after its last '/'; empty when that is not a safe
// file name.
std::string movieFileName(const PtpObjectInfoStruct& record);

// Reads the movie in chunks through the device into `folder`. Runs on a worker thread.
MovieDownloadResult downloadMovieToFolder(const PtpObjectInfoStruct& record, const std::string& folder,
                                          const MovieDownloadHooks& hooks);
