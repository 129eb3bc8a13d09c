#include "backend/sim/SimFiles.h"

#include "backend/sim/CaseFold.h"
#include "platform/Utf.h"

namespace sevalune::sim {

std::string SimFiles::KeyOf(std::string_view path) {
  std::u16string folded = Folded(Utf8ToUtf16(path));
  for (char16_t& unit : folded) {
    if (unit == u'/') unit = u'\\';
  }
  return Utf16ToUtf8(folded);
}

std::string SimFiles::FolderOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return std::string(path.substr(0, separator == std::string_view::npos ? 0 : separator));
}

void SimFiles::NoteChange(std::string_view path) { ++folderChanges_[KeyOf(FolderOf(path))]; }

void SimFiles::Put(std::string_view path, std::string bytes) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::File, std::move(bytes)});
  NoteChange(path);
}

void SimFiles::PutDirectory(std::string_view path) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::Directory, {}});
  NoteChange(path);
}

void SimFiles::PutUnreadable(std::string_view path) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::Unreadable, {}});
  NoteChange(path);
}

void SimFiles::Remove(std::string_view path) {
  if (entries_.erase(KeyOf(path)) != 0) NoteChange(path);
}

void SimFiles::SetReadOnly(std::string_view path, bool readOnly) {
  const auto it = entries_.find(KeyOf(path));
  if (it != entries_.end()) it->second.readOnly = readOnly;
}

bool SimFiles::IsReadOnly(std::string_view path) const {
  const auto it = entries_.find(KeyOf(path));
  return it != entries_.end() && it->second.readOnly;
}

void SimFiles::SetFolderWritable(std::string_view folder, bool writable) {
  if (writable) {
    closedFolders_.erase(KeyOf(folder));
  } else {
    closedFolders_.insert(KeyOf(folder));
  }
}

bool SimFiles::FolderWritable(std::string_view folder) const {
  return !closedFolders_.contains(KeyOf(folder));
}

std::optional<std::string_view> SimFiles::Read(std::string_view path) const {
  const auto it = entries_.find(KeyOf(path));
  if (it == entries_.end() || it->second.kind != Kind::File) return std::nullopt;
  return std::string_view(it->second.bytes);
}

bool SimFiles::Exists(std::string_view path) const { return entries_.contains(KeyOf(path)); }

bool SimFiles::FolderExists(std::string_view folder) const {
  const std::string key = KeyOf(folder);
  const auto it = entries_.find(key);
  if (it != entries_.end()) return it->second.kind == Kind::Directory;
  const std::string prefix = key + "\\";
  const auto next = entries_.lower_bound(prefix);
  return next != entries_.end() && next->first.starts_with(prefix);
}

std::uint64_t SimFiles::ChangesIn(std::string_view folder) const {
  const auto it = folderChanges_.find(KeyOf(folder));
  return it == folderChanges_.end() ? 0 : it->second;
}

}  // namespace sevalune::sim
