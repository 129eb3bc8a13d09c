// The settings file written back as the user keeps it: a pure edit of the file's bytes that
// changes only the lines of the keys given. Every comment, blank line, unknown key, other
// section and the order of the lines stay; the line ends and the encoding stay too, unless a
// value needs characters the ANSI code page lacks, which turns an ANSI file into UTF-16
// with a byte-order mark. Names match as the platform's profile reader matches them:
// trimmed, ASCII letters without regard to case; the first matching section is the one
// read, and its first matching key.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sevalune {

// How the file's text is stored, told by its byte-order mark.
enum class ProfileEncoding { Ansi, Utf8WithMark, Utf16Le, Utf16Be };

// The ANSI code page, as the platform converts it (MultiByteToWideChar and
// WideCharToMultiByte with CP_ACP); text on this side is UTF-8.
struct AnsiCodec {
  std::function<std::string(std::string_view ansi)> decode;
  // nullopt when the text holds a character the code page lacks.
  std::function<std::optional<std::string>(std::string_view utf8)> encode;
};

struct ProfileChange {
  std::string key;
  std::string value;  // the value as the reader is to hand it back
};

struct EditedProfile {
  std::string bytes;
  ProfileEncoding encoding = ProfileEncoding::Ansi;
};

ProfileEncoding EncodingOf(std::string_view fileBytes);

// The text of a value line that reads back exactly `value`: the reader trims blanks around
// a value and takes off a pair of quotes around it, so such a value is written in quotes.
std::string WrittenValue(std::string_view value);

// The file with each change made (a missing file is empty bytes):
//  - the first line of the key in the section gets the new value; what stands before its
//    value (the key as spelled, the blanks around "=") stays;
//  - a key commented out in the section (";KEY=..." or "#KEY=...") gets a new line right
//    after the last such comment;
//  - any other key goes after the section's last line that is not blank;
//  - a missing section goes at the end of the file.
// New lines end as the file's first line does (CRLF in a file without any).
EditedProfile EditProfile(std::string_view fileBytes, std::string_view section,
                          const std::vector<ProfileChange>& changes, const AnsiCodec& codec);

}  // namespace sevalune
