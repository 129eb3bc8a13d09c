#include "settings/SettingsFormModel.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/Utf.h"

namespace sevalune {
namespace {

constexpr std::array kGroupOrder{SettingGroup::Marker,   SettingGroup::Following,
                                 SettingGroup::Hotkey,   SettingGroup::Programs,
                                 SettingGroup::Language, SettingGroup::Other};

std::size_t GroupRank(SettingGroup group) {
  return static_cast<std::size_t>(std::find(kGroupOrder.begin(), kGroupOrder.end(), group) -
                                  kGroupOrder.begin());
}

LocalText GroupTitle(SettingGroup group) {
  switch (group) {
    case SettingGroup::Marker:
      return {"Marker", "マーカー"};
    case SettingGroup::Following:
      return {"Following", "追従"};
    case SettingGroup::Hotkey:
      return {"Finding the caret", "キャレットを探す"};
    case SettingGroup::Programs:
      return {"Window classes, separated by commas", "ウィンドウクラス名（カンマ区切り）"};
    case SettingGroup::Language:
      return {"Language", "言語"};
    case SettingGroup::Other:
      break;
  }
  return {"Other", "その他"};
}

// "Oazuke": when the tick holds, as the first character of the value.
constexpr std::array kHoldOptions{
    std::pair{LocalText{"Never", "しない"}, "0"},
    std::pair{LocalText{"Older method only", "旧方式のときだけ"}, "1"},
    std::pair{LocalText{"Always", "常に"}, "2"},
};

// "Gengo": each language named in itself, so that a user who cannot read the window's
// language still finds their own.
constexpr std::array kLanguageOptions{
    std::pair{LocalText{"As Windows", "Windows に合わせる"}, ""},
    std::pair{LocalText{"日本語", "日本語"}, "ja"},
    std::pair{LocalText{"English", "English"}, "en"},
};

constexpr LocalText kNumberRefusal{"\"{label}\" ({key}) takes a whole number from {min} to {max}.",
                                   "「{label}」({key}) には {min} から {max} までの整数を入れて"
                                   "ください。"};
constexpr LocalText kColorRefusal{
    "\"{label}\" ({key}) takes six hexadecimal digits, blue-green-red, such as FF00FF.",
    "「{label}」({key}) には 16 進数 6 桁（青・緑・赤の順、例 FF00FF）を入れてください。"};
constexpr LocalText kHotkeyRefusal{
    "\"{label}\" ({key}) is no key combination Sevalune can use. Write one such as "
    "Ctrl+Alt+Shift+F12, or 0 for none.",
    "「{label}」({key}) は使えるキーの組み合わせではありません。Ctrl+Alt+Shift+F12 "
    "のように書くか、使わないときは 0 にしてください。"};
constexpr LocalText kTextRefusal{"\"{label}\" ({key}) is too long or holds a line break.",
                                 "「{label}」({key}) が長すぎるか、改行を含んでいます。"};
constexpr LocalText kReaderRefusal{"\"{label}\" ({key}) cannot be used: {what} (error {number}).",
                                   "「{label}」({key}) は使えません: {what}（エラー {number}）。"};

void Fill(std::string& text, std::string_view name, std::string_view value) {
  std::string marker(1, '{');
  marker += name;
  marker += '}';
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + value.size())) {
    std::string filled = text.substr(0, at);
    filled += value;
    filled += std::string_view(text).substr(at + marker.size());
    text = std::move(filled);
  }
}

std::vector<std::string> SplitAtCommas(std::string_view text, std::size_t count) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() + 1 < count) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) break;
    parts.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  parts.emplace_back(text.substr(std::min(start, text.size())));
  parts.resize(count);
  return parts;
}

std::optional<long long> WholeNumber(std::string_view text) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) at = 1;
  if (at >= text.size() || text.size() - at > 10) return std::nullopt;
  long long value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return std::nullopt;
    value = value * 10 + (text[at] - '0');
  }
  return negative ? -value : value;
}

bool IsColorText(std::string_view text) {
  if (text.size() != 6) return false;
  for (const char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

// A switch's on and off texts: "1", and the first of "0" and "" that reads otherwise
// ("Debug" is on with any value, "0" included).
Settings ReadAlone(const SettingKey& key, std::string_view text) {
  Settings settings;
  ReadSettingValue(key, ProfileString{Utf16Length(text), std::string(text)}, settings);
  return settings;
}

std::string SwitchText(const SettingKey& key, bool on) {
  if (on) return "1";
  const Settings onReading = ReadAlone(key, "1");
  return ReadAlone(key, "0") != onReading ? "0" : "";
}

bool SwitchIsOn(const SettingKey& key, std::string_view text) {
  return ReadAlone(key, text) == ReadAlone(key, "1");
}

std::size_t EntryCount(const SettingKey& key) {
  switch (key.kind) {
    case SettingKind::ColorList:
    case SettingKind::SizeList:
      return key.limits.count;
    case SettingKind::HoldText:
      return 2;
    default:
      return 1;
  }
}

FormControl ControlOf(const SettingKey& key, std::size_t entry) {
  switch (key.kind) {
    case SettingKind::ColorList:
      return FormControl::Swatch;
    case SettingKind::SizeList:
    case SettingKind::Number:
      return FormControl::Number;
    case SettingKind::Switch:
      return FormControl::Check;
    case SettingKind::ClassList:
      return FormControl::ClassList;
    case SettingKind::KeyCombination:
      return FormControl::KeyCombination;
    case SettingKind::HoldText:
      return entry == 0 ? FormControl::Choice : FormControl::Number;
    case SettingKind::Language:
      return FormControl::Choice;
  }
  return FormControl::Text;
}

std::string LabelOf(const SettingKey& key, std::size_t entry, std::size_t count,
                    Language language) {
  const std::string label =
      key.label.english.empty() ? std::string(key.name) : std::string(In(language, key.label));
  if (count == 1) return label;
  if (entry < key.entryLabels.size()) {
    return label + ": " + std::string(In(language, key.entryLabels[entry]));
  }
  return label + " " + std::to_string(entry + 1);
}

std::vector<std::string> EntryTexts(const SettingKey& key, const std::string& value,
                                    std::size_t count) {
  switch (key.kind) {
    case SettingKind::ColorList:
    case SettingKind::SizeList:
      return SplitAtCommas(value, count);
    case SettingKind::HoldText:
      return {value.substr(0, 1), value.size() > 1 ? value.substr(1) : std::string()};
    case SettingKind::Switch:
      return {SwitchIsOn(key, value) ? "1" : "0"};
    default:
      return {value};
  }
}

}  // namespace

std::string WithoutAccessKey(std::string_view label) {
  std::string plain(label);
  const std::size_t suffix = plain.find(" (&");
  if (suffix != std::string::npos) plain.erase(suffix);
  const std::size_t mark = plain.find('&');
  if (mark != std::string::npos) plain.erase(mark, 1);
  return plain;
}

std::string WithAccessKey(std::string_view label, std::string& taken) {
  const bool ascii = Utf16Length(label) == label.size();
  if (ascii) {
    for (std::size_t i = 0; i < label.size(); ++i) {
      const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(label[i])));
      if (std::isalnum(static_cast<unsigned char>(key)) == 0) continue;
      if (taken.find(key) != std::string::npos) continue;
      taken += key;
      return std::string(label.substr(0, i)) + "&" + std::string(label.substr(i));
    }
  }
  for (const char key : std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
    if (taken.find(key) != std::string::npos) continue;
    taken += key;
    return std::string(label) + " (&" + key + ")";
  }
  return std::string(label);
}

SettingsFormModel::SettingsFormModel(const Settings& current, Language language)
    : language_(language) {
  for (const SettingKey& key : SettingKeys()) {
    const std::size_t count = EntryCount(key);
    const std::vector<std::string> texts = EntryTexts(key, key.text(current), count);
    for (std::size_t entry = 0; entry < count; ++entry) {
      FormField shown;
      shown.id = key.name;
      if (count > 1) shown.id += '.' + std::to_string(entry + 1);
      shown.label = LabelOf(key, entry, count, language);
      shown.control = ControlOf(key, entry);
      shown.text = texts[entry];
      if (key.kind == SettingKind::HoldText && entry == 0) {
        for (const auto& [label, value] : kHoldOptions) {
          shown.options.push_back({std::string(In(language, label)), value});
        }
      }
      if (key.kind == SettingKind::Language) {
        for (const auto& [label, value] : kLanguageOptions) {
          shown.options.push_back({std::string(In(language, label)), value});
        }
      }
      fields_.push_back(Field{&key, entry, std::move(shown)});
    }
  }
  // The form's order: group by group, the table's order within each.
  std::stable_sort(fields_.begin(), fields_.end(), [](const Field& a, const Field& b) {
    return GroupRank(a.key->group) < GroupRank(b.key->group);
  });
  for (const Field& field : fields_) baseline_.push_back(field.shown.text);
}

SettingsWindowForm SettingsFormModel::Form(const FormGroup& extra) const {
  SettingsWindowForm form;
  std::string taken = "A";  // Apply
  for (const SettingGroup group : kGroupOrder) {
    FormGroup shown{std::string(In(language_, GroupTitle(group))), {}};
    for (const Field& field : fields_) {
      if (field.key->group != group) continue;
      shown.fields.push_back(field.shown);
    }
    if (!shown.fields.empty()) form.groups.push_back(std::move(shown));
  }
  form.groups.push_back(extra);
  for (FormGroup& group : form.groups) {
    for (FormField& field : group.fields) field.label = WithAccessKey(field.label, taken);
  }
  return form;
}

std::string SettingsFormModel::ValueOf(const SettingKey& key,
                                       const std::vector<std::string>& texts) const {
  std::string value;
  for (std::size_t i = 0; i < fields_.size() && i < texts.size(); ++i) {
    if (fields_[i].key != &key) continue;
    const std::string& text = texts[i];
    switch (key.kind) {
      case SettingKind::ColorList:
      case SettingKind::SizeList:
        value += (fields_[i].entry == 0 ? "" : ",") + text;
        break;
      case SettingKind::Switch:
        value = SwitchText(key, text == "1");
        break;
      default:
        value += text;
        break;
    }
  }
  return value;
}

std::optional<std::string> SettingsFormModel::RefusalOf(const Field& field,
                                                        std::string_view text) const {
  const SettingKey& key = *field.key;
  const LocalText* refusal = nullptr;
  switch (field.shown.control) {
    case FormControl::Number: {
      const std::optional<long long> number = WholeNumber(text);
      const bool isEntry = key.kind == SettingKind::HoldText;
      const long long minimum = isEntry ? 0 : key.limits.minimum;
      const long long maximum = key.limits.maximum;
      if (!number || *number < minimum || *number > maximum) {
        std::string words(In(language_, kNumberRefusal));
        Fill(words, "min", std::to_string(minimum));
        Fill(words, "max", std::to_string(maximum));
        Fill(words, "label", WithoutAccessKey(field.shown.label));
        Fill(words, "key", key.name);
        return words;
      }
      return std::nullopt;
    }
    case FormControl::Swatch:
      if (!IsColorText(text)) refusal = &kColorRefusal;
      break;
    case FormControl::KeyCombination:
      if (!ReadHotkeySetting(text).unusable.empty()) refusal = &kHotkeyRefusal;
      break;
    case FormControl::Text:
    case FormControl::ClassList: {
      const std::string written = WrittenValue(text);
      const std::size_t room = key.bufferSize - (written.size() == text.size() ? 1 : 0);
      if (text.find_first_of("\r\n") != std::string_view::npos || Utf16Length(written) > room) {
        refusal = &kTextRefusal;
      }
      break;
    }
    case FormControl::Check:
    case FormControl::Choice:
      break;
  }
  if (refusal == nullptr) return std::nullopt;
  std::string words(In(language_, *refusal));
  Fill(words, "label", WithoutAccessKey(field.shown.label));
  Fill(words, "key", key.name);
  return words;
}

FormCheck SettingsFormModel::Check(const std::vector<std::string>& texts) const {
  FormCheck check;
  const SettingKey* done = nullptr;
  for (std::size_t i = 0; i < fields_.size() && i < texts.size(); ++i) {
    const SettingKey& key = *fields_[i].key;
    if (done == &key) continue;
    const std::string value = ValueOf(key, texts);
    if (value == ValueOf(key, baseline_)) continue;
    done = &key;
    for (std::size_t j = i; j < fields_.size() && fields_[j].key == &key; ++j) {
      if (std::optional<std::string> refusal = RefusalOf(fields_[j], texts[j])) {
        return {{}, j, *std::move(refusal)};
      }
    }
    // What the reader itself refuses, whatever the control allowed.
    if (const std::optional<SettingsFailure> failure = CheckSettingText(key, value)) {
      std::string words(In(language_, kReaderRefusal));
      Fill(words, "label", WithoutAccessKey(LabelOf(key, 0, 1, language_)));
      Fill(words, "key", key.name);
      Fill(words, "what", failure->description);
      Fill(words, "number", std::to_string(failure->number));
      return {{}, i, std::move(words)};
    }
    check.changes.push_back({std::string(key.name), value});
  }
  return check;
}

void SettingsFormModel::Applied(const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < baseline_.size() && i < texts.size(); ++i) baseline_[i] = texts[i];
}

}  // namespace sevalune
