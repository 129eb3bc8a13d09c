// The files of the simulated desktop, by path. Paths compare as on Windows: without
// regard to case, "/" and "\" alike. Every write, new entry and removal counts as a change
// of the folder that holds it, which a folder watch notices.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace sevalune::sim {

class SimFiles {
 public:
  void Put(std::string_view path, std::string bytes);
  void PutDirectory(std::string_view path);
  // A file that exists but cannot be opened for reading (locked, no permission).
  void PutUnreadable(std::string_view path);
  void Remove(std::string_view path);
  // The file's read-only attribute; a folder in which no file can be made.
  void SetReadOnly(std::string_view path, bool readOnly);
  bool IsReadOnly(std::string_view path) const;
  void SetFolderWritable(std::string_view folder, bool writable);
  bool FolderWritable(std::string_view folder) const;

  // The bytes of a readable file; nullopt for a missing file, a directory or an
  // unreadable file.
  std::optional<std::string_view> Read(std::string_view path) const;
  bool Exists(std::string_view path) const;
  // A folder exists when it was made or holds anything.
  bool FolderExists(std::string_view folder) const;
  // How many changes the folder has seen so far.
  std::uint64_t ChangesIn(std::string_view folder) const;

  // The folder part of a path: everything before its last separator.
  static std::string FolderOf(std::string_view path);

 private:
  enum class Kind { File, Directory, Unreadable };
  struct Entry {
    Kind kind = Kind::File;
    std::string bytes;
    bool readOnly = false;
  };

  static std::string KeyOf(std::string_view path);
  void NoteChange(std::string_view path);

  std::map<std::string, Entry> entries_;
  std::map<std::string, std::uint64_t> folderChanges_;
  std::set<std::string> closedFolders_;
};

}  // namespace sevalune::sim
