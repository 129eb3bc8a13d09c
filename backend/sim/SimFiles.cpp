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

void SimFiles::Put(std::string_view path, std::string bytes) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::File, std::move(bytes)});
}

void SimFiles::PutDirectory(std::string_view path) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::Directory, {}});
}

void SimFiles::PutUnreadable(std::string_view path) {
  entries_.insert_or_assign(KeyOf(path), Entry{Kind::Unreadable, {}});
}

void SimFiles::Remove(std::string_view path) { entries_.erase(KeyOf(path)); }

std::optional<std::string_view> SimFiles::Read(std::string_view path) const {
  const auto it = entries_.find(KeyOf(path));
  if (it == entries_.end() || it->second.kind != Kind::File) return std::nullopt;
  return std::string_view(it->second.bytes);
}

bool SimFiles::Exists(std::string_view path) const { return entries_.contains(KeyOf(path)); }

}  // namespace sevalune::sim
