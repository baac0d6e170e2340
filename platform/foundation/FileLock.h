#pragma once

#include <string>

// An exclusive lock across processes on one file of the device, held for the object's lifetime.
// Writers that read a whole file, change it and write it back take it around the three steps so
// that no other process's change is lost in between. Readers need none: writes replace files
// atomically, so a reader always sees a whole file.
class FileLock {
 public:
  enum class Where {
    // An flock on "<file>.lock" beside the file, made when missing.
    LockFileBeside,
    // An flock on the folder that holds the file, which leaves no extra file behind.
    ContainingFolder,
  };

  // Waits for the lock on the file at `devicePath`.
  FileLock(const std::string& devicePath, Where where);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // False when the lock could not be taken (a missing folder, or one that cannot be written).
  bool isHeld() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
