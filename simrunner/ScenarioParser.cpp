#include "simrunner/ScenarioParser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <set>
#include <sstream>
#include <utility>

#include "simrunner/ScenarioText.h"

namespace sevalune::sim {
namespace {

using Words = std::vector<Word>;

bool OneOf(const std::string& text, std::initializer_list<const char*> choices) {
  return std::any_of(choices.begin(), choices.end(), [&](const char* c) { return text == c; });
}

std::string Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  const std::size_t last = line.find_last_not_of(" \t\r");
  return std::string(line.substr(first, last - first + 1));
}

void RequireCount(const Words& args, std::size_t minimum, std::size_t maximum,
                  const std::string& usage) {
  if (args.size() < minimum || args.size() > maximum) throw ScenarioError("usage: " + usage);
}

const std::string& Bare(const Word& word, const std::string& usage) {
  if (word.key) throw ScenarioError("usage: " + usage);
  return word.text;
}

std::string Choice(const Word& word, std::initializer_list<const char*> choices,
                   const std::string& usage) {
  const std::string& text = Bare(word, usage);
  if (!OneOf(text, choices)) throw ScenarioError("usage: " + usage);
  return text;
}

// The value that a bare word names among `choices`; any other word is a usage error.
template <typename Value>
Value ChoiceOf(const Word& word, std::initializer_list<std::pair<std::string_view, Value>> choices,
               const std::string& usage) {
  const std::string& text = Bare(word, usage);
  for (const auto& [name, value] : choices) {
    if (name == text) return value;
  }
  throw ScenarioError("usage: " + usage);
}

// The tray icon's mouse events by their scenario names, with the codes the shell reports.
constexpr std::array<TrayEvent, 6> kTrayEvents{{{"move", kMsgMouseMove},
                                                {"ldown", 0x0201},
                                                {"lup", kMsgLeftButtonUp},
                                                {"ldouble", 0x0203},
                                                {"rdown", 0x0204},
                                                {"rup", kMsgRightButtonUp}}};

class Parser {
 public:
  std::vector<ScenarioStep> Parse(const std::string& text, int& errorLine) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      line_ = static_cast<int>(i) + 1;
      errorLine = line_;
      const std::string trimmed = Trimmed(lines[i]);
      if (trimmed.empty() || trimmed[0] == '#') continue;
      if (trimmed == "ini" || trimmed == "ini during-read") {
        i = ParseIni(lines, i, trimmed != "ini");
        continue;
      }
      Words words = SplitWords(lines[i]);
      const std::string verb = words.front().text;
      words.erase(words.begin());
      ParseCommand(verb, words);
    }
    errorLine = 0;
    return std::move(steps_);
  }

 private:
  void Add(std::function<void(ScenarioRunner&)> run) { steps_.push_back({line_, std::move(run)}); }

  std::size_t ParseIni(const std::vector<std::string>& lines, std::size_t start, bool duringRead) {
    if (duringRead) RequireStarted("ini during-read");
    std::string bytes;
    for (std::size_t i = start + 1; i < lines.size(); ++i) {
      if (Trimmed(lines[i]) == "end") {
        if (duringRead) {
          Add([bytes](ScenarioRunner& r) { r.WriteSettingsFileDuringRead(bytes); });
        } else {
          Add([bytes](ScenarioRunner& r) { r.SetSettingsFile(bytes); });
        }
        return i;
      }
      std::string content = lines[i];
      if (!content.empty() && content.back() == '\r') content.pop_back();
      bytes += content + "\r\n";
    }
    throw ScenarioError("ini without end");
  }

  std::string KnownName(const std::string& name) const {
    if (name != "none" && !names_.contains(name)) throw ScenarioError("unknown window: " + name);
    return name;
  }

  std::string NewName(const Word& word, const std::string& usage) {
    const std::string& name = Bare(word, usage);
    if (name.empty() || name == "none" || names_.contains(name)) {
      throw ScenarioError("window name already used or reserved: " + name);
    }
    names_.insert(name);
    return name;
  }

  void RequireStarted(const std::string& verb) const {
    if (!started_) throw ScenarioError(verb + " before start");
  }

  // The name of a window known so far, as the only word of a one-window command.
  std::string OneKnownName(const Words& args, const std::string& usage) const {
    RequireCount(args, 1, 1, usage);
    return KnownName(Bare(args[0], usage));
  }

  void ParseCommand(const std::string& verb, const Words& args);
  void ParsePlatform(const Words& args);
  void ParseMonitor(const Words& args);
  void ParseExeDir(const Words& args);
  void ParseWindow(const Words& args);
  void ParseChild(const Words& args);
  void ParseSet(const Words& args);
  void ParseRaise(const Words& args);
  void ParseLower(const Words& args);
  void ParseClose(const Words& args);
  void ParseForeground(const Words& args);
  void ParseLock(const Words& args);
  void ParseGui(const Words& args);
  void ParseIme(const Words& args);
  void ParseUiLanguage(const Words& args);
  void ParseHang(const Words& args);
  void ParseAccess(const Words& args);
  void ParseUia(const Words& args);
  void ParseCursor(const Words& args);
  void ParseButton(const Words& args);
  void ParseYokusi(const Words& args);
  void ParseTaskbar(const Words& args);
  void ParseAnswer(const Words& args);
  void ParseStart(const Words& args);
  void ParseSecond(const Words& args);
  void ParseTick(const Words& args);
  void ParseTray(const Words& args);
  void ParseBetween(const Words& args);
  void ParseNotify(const Words& args);
  void ParseSettings(const Words& args);
  void ParseHotkey(const Words& args);
  void ParseFrames(const Words& args);
  void ParseSettle(const Words& args);
  void ParseWatching(const Words& args);
  void ParseExpect(const Words& args);

  int line_ = 0;
  bool started_ = false;
  std::set<std::string, std::less<>> names_{"marker", "app", "menuform", "taskbar", "progman"};
  std::vector<ScenarioStep> steps_;
};

void Parser::ParseWindow(const Words& args) {
  const std::string usage =
      "window NAME class=C title=T process=N thread=N rect=L,T,R,B above=W|below=W "
      "[hidden] [disabled] [topmost] [tool] [noime]";
  if (args.empty()) throw ScenarioError("usage: " + usage);
  NewWindow window;
  window.name = NewName(args[0], usage);
  std::string above;
  std::string below;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) {
      const std::string& flag = w.text;
      if (flag == "hidden")
        window.visible = false;
      else if (flag == "disabled")
        window.enabled = false;
      else if (flag == "topmost")
        window.topmost = true;
      else if (flag == "tool")
        window.noActivate = true;
      else if (flag == "noime")
        window.defaultImeWindow = false;
      else
        throw ScenarioError("unknown flag: " + flag);
      continue;
    }
    const std::string& key = *w.key;
    if (key == "class")
      window.className = w.value;
    else if (key == "title")
      window.title = w.value;
    else if (key == "process")
      window.process = static_cast<ProcessId>(ParseInt(w.value, key));
    else if (key == "thread")
      window.thread = static_cast<ThreadId>(ParseInt(w.value, key));
    else if (key == "rect")
      window.rect = ParseRect(w.value);
    else if (key == "above")
      above = KnownName(w.value);
    else if (key == "below")
      below = KnownName(w.value);
    else
      throw ScenarioError("unknown key: " + key);
  }
  Add([window, above, below](ScenarioRunner& r) { r.AddWindow(window, above, below); });
}

void Parser::ParseChild(const Words& args) {
  const std::string usage = "child NAME parent=W class=C title=T rect=L,T,R,B [hidden] [disabled]";
  if (args.empty()) throw ScenarioError("usage: " + usage);
  NewChild child;
  child.name = NewName(args[0], usage);
  std::string parent;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) {
      if (w.text == "hidden")
        child.visible = false;
      else if (w.text == "disabled")
        child.enabled = false;
      else
        throw ScenarioError("unknown flag: " + w.text);
      continue;
    }
    const std::string& key = *w.key;
    if (key == "parent")
      parent = KnownName(w.value);
    else if (key == "class")
      child.className = w.value;
    else if (key == "title")
      child.title = w.value;
    else if (key == "rect")
      child.rect = ParseRect(w.value);
    else
      throw ScenarioError("unknown key: " + key);
  }
  if (parent.empty()) throw ScenarioError("child needs parent=WINDOW");
  Add([child, parent](ScenarioRunner& r) { r.AddChild(child, parent); });
}

void Parser::ParseSet(const Words& args) {
  const std::string usage =
      "set NAME title=T class=C rect=L,T,R,B [hidden|visible] "
      "[disabled|enabled] [topmost|notopmost]";
  if (args.empty()) throw ScenarioError("usage: " + usage);
  const std::string name = KnownName(Bare(args[0], usage));
  WindowChange change;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) {
      const std::string& flag = w.text;
      if (flag == "hidden" || flag == "visible")
        change.visible = flag == "visible";
      else if (flag == "disabled" || flag == "enabled")
        change.enabled = flag == "enabled";
      else if (flag == "topmost" || flag == "notopmost")
        change.topmost = flag == "topmost";
      else
        throw ScenarioError("unknown flag: " + flag);
      continue;
    }
    const std::string& key = *w.key;
    if (key == "title")
      change.title = w.value;
    else if (key == "class")
      change.className = w.value;
    else if (key == "rect")
      change.rect = ParseRect(w.value);
    else
      throw ScenarioError("unknown key: " + key);
  }
  Add([name, change](ScenarioRunner& r) { r.ChangeWindow(name, change); });
}

void Parser::ParseGui(const Words& args) {
  const std::string usage = "gui THREAD focus=W capture=W caret=W:x,y,w,h|none flags=N";
  if (args.empty()) throw ScenarioError("usage: " + usage);
  const auto thread = static_cast<ThreadId>(ParseInt(Bare(args[0], usage), "thread"));
  GuiStateByName state;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) throw ScenarioError("usage: " + usage);
    const std::string& key = *w.key;
    if (key == "focus") {
      state.focus = KnownName(w.value);
    } else if (key == "capture") {
      state.capture = KnownName(w.value);
    } else if (key == "caret") {
      if (w.value == "none") continue;
      const std::size_t colon = w.value.find(':');
      if (colon == std::string::npos) throw ScenarioError("usage: " + usage);
      state.caretWindow = KnownName(w.value.substr(0, colon));
      state.caretRect = ParseSizedRect(std::string_view(w.value).substr(colon + 1));
    } else if (key == "flags") {
      state.flags = static_cast<std::uint32_t>(ParseInt(w.value, key));
    } else {
      throw ScenarioError("unknown key: " + key);
    }
  }
  Add([thread, state](ScenarioRunner& r) { r.SetGuiState(thread, state); });
}

void Parser::ParseAnswer(const Words& args) {
  const std::string usage = "answer menu=ITEM [after=N] | answer box=ok|cancel [after=N]";
  RequireCount(args, 1, 2, usage);
  int after = 0;
  if (args.size() == 2) {
    if (!args[1].key || *args[1].key != "after") throw ScenarioError("usage: " + usage);
    after = ParseInt(args[1].value, "after");
    if (after < 0) throw ScenarioError("after must not be negative");
  }
  const Word& what = args[0];
  if (what.key && *what.key == "menu" &&
      OneOf(what.value, {"Help", "About", "WindowClass", "Quit", "Enabled", "none"})) {
    Add([item = what.value, after](ScenarioRunner& r) { r.AnswerMenu(item, after); });
  } else if (what.key && *what.key == "box" && OneOf(what.value, {"ok", "cancel"})) {
    Add([ok = what.value == "ok", after](ScenarioRunner& r) { r.AnswerBox(ok, after); });
  } else {
    throw ScenarioError("usage: " + usage);
  }
}

void Parser::ParseExpect(const Words& args) {
  const std::string usage =
      "expect marker=X,Y,WxH shown|hidden color=BBGGRR fg=W cursor=X,Y "
      "icon=on|off|none menu=open|closed | expect event|noevent \"TEXT\"";
  if (args.empty()) throw ScenarioError("usage: " + usage);
  const int line = line_;
  if (!args[0].key && (args[0].text == "event" || args[0].text == "noevent")) {
    RequireCount(args, 2, 2, usage);
    const bool present = args[0].text == "event";
    const std::string text = Bare(args[1], usage);
    Add([line, text, present](ScenarioRunner& r) { r.ExpectEvent(line, text, present); });
    return;
  }
  StateFields wanted;
  for (const Word& w : args) {
    if (!w.key) {
      wanted["shown"] = Choice(w, {"shown", "hidden"}, usage);
    } else if (OneOf(*w.key, {"marker", "color", "fg", "cursor", "icon", "menu"})) {
      wanted[*w.key] = w.value;
    } else {
      throw ScenarioError("unknown field: " + *w.key);
    }
  }
  Add([line, wanted](ScenarioRunner& r) { r.ExpectFields(line, wanted); });
}

// --- one parser per command ------------------------------------------------------------

void Parser::ParsePlatform(const Words& args) {
  const std::string usage = "platform new|old";
  RequireCount(args, 1, 1, usage);
  const bool hasNew = ChoiceOf<bool>(args[0], {{"new", true}, {"old", false}}, usage);
  Add([hasNew](ScenarioRunner& r) { r.SetPlatformNew(hasNew); });
}

void Parser::ParseMonitor(const Words& args) {
  const std::string usage = "monitor L,T,R,B [primary] [dpi=N]";
  RequireCount(args, 1, 3, usage);
  MonitorInfo monitor;
  monitor.rect = ParseRect(Bare(args[0], usage));
  bool dpiGiven = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) {
      if (monitor.primary) throw ScenarioError("usage: " + usage);
      monitor.primary = ChoiceOf<bool>(w, {{"primary", true}}, usage);
    } else if (*w.key == "dpi" && !dpiGiven) {
      const std::int32_t dpi = ParseInt(w.value, "dpi");
      if (dpi < 1) throw ScenarioError("dpi must be at least 1: " + w.value);
      monitor.dpi = static_cast<std::uint32_t>(dpi);
      dpiGiven = true;
    } else {
      throw ScenarioError("usage: " + usage);
    }
  }
  Add([monitor](ScenarioRunner& r) { r.AddMonitor(monitor); });
}

void Parser::ParseExeDir(const Words& args) {
  RequireCount(args, 1, 1, "exedir PATH");
  Add([dir = Bare(args[0], "exedir PATH")](ScenarioRunner& r) { r.SetExecutableDirectory(dir); });
}

void Parser::ParseRaise(const Words& args) {
  const std::string name = OneKnownName(args, "raise NAME");
  Add([name](ScenarioRunner& r) { r.Raise(name); });
}

void Parser::ParseLower(const Words& args) {
  const std::string name = OneKnownName(args, "lower NAME");
  Add([name](ScenarioRunner& r) { r.Lower(name); });
}

void Parser::ParseClose(const Words& args) {
  const std::string name = OneKnownName(args, "close NAME");
  Add([name](ScenarioRunner& r) { r.Close(name); });
}

void Parser::ParseForeground(const Words& args) {
  const std::string name = OneKnownName(args, "foreground NAME|none");
  Add([name](ScenarioRunner& r) { r.SetForeground(name); });
}

void Parser::ParseLock(const Words& args) {
  const std::string usage = "lock on|off";
  RequireCount(args, 1, 1, usage);
  const bool on = ChoiceOf<bool>(args[0], {{"on", true}, {"off", false}}, usage);
  Add([on](ScenarioRunner& r) { r.SetLock(on); });
}

void Parser::ParseIme(const Words& args) {
  const std::string usage = "ime PROCESS open|closed [mode=N]";
  RequireCount(args, 2, 3, usage);
  const auto process = static_cast<ProcessId>(ParseInt(Bare(args[0], usage), "process"));
  const bool open = ChoiceOf<bool>(args[1], {{"open", true}, {"closed", false}}, usage);
  std::uint32_t mode = 0;
  if (args.size() == 3) {
    if (args[2].key != std::optional<std::string>("mode")) throw ScenarioError("usage: " + usage);
    mode = static_cast<std::uint32_t>(ParseInt(args[2].value, "mode"));
  }
  Add([process, open, mode](ScenarioRunner& r) { r.SetImeOpen(process, open, mode); });
}

void Parser::ParseUiLanguage(const Words& args) {
  const std::string usage = "uilanguage LANGID (0x411 Japanese, 0x409 English, ...)";
  RequireCount(args, 1, 1, usage);
  const std::string& text = Bare(args[0], usage);
  std::uint32_t language = 0;
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  const char* first = text.data() + (hex ? 2 : 0);
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(first, end, language, hex ? 16 : 10);
  if (ec != std::errc() || ptr != end || first == end || language > 0xFFFF) {
    throw ScenarioError("bad language identifier: \"" + text + "\"");
  }
  Add([language](ScenarioRunner& r) { r.SetUiLanguage(static_cast<std::uint16_t>(language)); });
}

void Parser::ParseHang(const Words& args) {
  const std::string usage = "hang PROCESS on|off";
  RequireCount(args, 2, 2, usage);
  const auto process = static_cast<ProcessId>(ParseInt(Bare(args[0], usage), "process"));
  const bool hung = ChoiceOf<bool>(args[1], {{"on", true}, {"off", false}}, usage);
  Add([process, hung](ScenarioRunner& r) { r.SetHung(process, hung); });
}

void Parser::ParseAccess(const Words& args) {
  const std::string usage =
      "access NAME none | access NAME msaa|uia caret=L,T,R,B selection=L,T,R,B "
      "focus=L,T,R,B delay=MS lazy=N";
  if (args.size() < 2) throw ScenarioError("usage: " + usage);
  const std::string name = KnownName(Bare(args[0], usage));
  if (name == "none") throw ScenarioError("usage: " + usage);
  if (args.size() == 2 && !args[1].key && args[1].text == "none") {
    Add([name](ScenarioRunner& r) { r.SetAccessible(name, std::nullopt); });
    return;
  }
  SimAccessible published;
  published.via = ChoiceOf<SimAccessible::Interface>(
      args[1], {{"msaa", SimAccessible::Interface::Msaa}, {"uia", SimAccessible::Interface::Uia}},
      usage);
  for (std::size_t i = 2; i < args.size(); ++i) {
    const Word& w = args[i];
    if (!w.key) throw ScenarioError("usage: " + usage);
    const std::string& key = *w.key;
    const auto rectOrNone = [&w]() -> std::optional<Rect> {
      if (w.value == "none") return std::nullopt;
      return ParseRect(w.value);
    };
    if (key == "caret") {
      published.caret = rectOrNone();
    } else if (key == "selection") {
      if (published.via != SimAccessible::Interface::Uia) {
        throw ScenarioError("selection= belongs to uia: only UI Automation has text selections");
      }
      published.selection = rectOrNone();
    } else if (key == "focus") {
      published.focus = rectOrNone();
    } else if (key == "delay" || key == "lazy") {
      const int number = ParseInt(w.value, key);
      if (number < 0) throw ScenarioError(key + " must not be negative");
      (key == "delay" ? published.roundMs : published.lazyRounds) =
          static_cast<std::uint32_t>(number);
    } else {
      throw ScenarioError("unknown key: " + key);
    }
  }
  Add([name, published](ScenarioRunner& r) { r.SetAccessible(name, published); });
}

void Parser::ParseUia(const Words& args) {
  const std::string usage = "uia present|absent";
  RequireCount(args, 1, 1, usage);
  const bool present = ChoiceOf<bool>(args[0], {{"present", true}, {"absent", false}}, usage);
  Add([present](ScenarioRunner& r) { r.SetUiAutomation(present); });
}

void Parser::ParseCursor(const Words& args) {
  RequireCount(args, 1, 1, "cursor X,Y");
  const Point point = ParsePoint(Bare(args[0], "cursor X,Y"));
  Add([point](ScenarioRunner& r) { r.SetCursor(point); });
}

void Parser::ParseButton(const Words& args) {
  const std::string usage = "button down|up|click";
  RequireCount(args, 1, 1, usage);
  const ButtonAction action = ChoiceOf<ButtonAction>(
      args[0],
      {{"down", ButtonAction::Down}, {"up", ButtonAction::Up}, {"click", ButtonAction::Click}},
      usage);
  Add([action](ScenarioRunner& r) { r.Button(action); });
}

void Parser::ParseYokusi(const Words& args) {
  RequireCount(args, 0, 1, "yokusi TEXT");
  const std::string text = args.empty() ? std::string() : args[0].text;
  Add([text](ScenarioRunner& r) { r.SetYokusi(text); });
}

void Parser::ParseTaskbar(const Words& args) {
  const std::string usage = "taskbar present|none|restart";
  RequireCount(args, 1, 1, usage);
  const TaskbarAction action = ChoiceOf<TaskbarAction>(args[0],
                                                       {{"present", TaskbarAction::Present},
                                                        {"none", TaskbarAction::Remove},
                                                        {"restart", TaskbarAction::Restart}},
                                                       usage);
  Add([action](ScenarioRunner& r) { r.Taskbar(action); });
}

void Parser::ParseStart(const Words& args) {
  RequireCount(args, 0, 0, "start");
  if (started_) throw ScenarioError("start given twice");
  started_ = true;
  Add([](ScenarioRunner& r) { r.Start(); });
}

void Parser::ParseSecond(const Words& args) {
  RequireCount(args, 0, 0, "second");
  Add([](ScenarioRunner& r) { r.StartSecondInstance(); });
}

void Parser::ParseTick(const Words& args) {
  RequireCount(args, 0, 1, "tick [N]");
  RequireStarted("tick");
  const int count = args.empty() ? 1 : ParseInt(Bare(args[0], "tick [N]"), "tick count");
  if (count < 0) throw ScenarioError("tick count must not be negative");
  Add([count](ScenarioRunner& r) { r.Tick(count); });
}

void Parser::ParseTray(const Words& args) {
  const std::string usage = "tray move|ldown|lup|rdown|rup|ldouble";
  RequireCount(args, 1, 1, usage);
  RequireStarted("tray");
  const std::string& name = Bare(args[0], usage);
  const auto known = std::find_if(kTrayEvents.begin(), kTrayEvents.end(),
                                  [&](const TrayEvent& event) { return event.name == name; });
  if (known == kTrayEvents.end()) throw ScenarioError("usage: " + usage);
  Add([event = *known](ScenarioRunner& r) { r.Tray(event); });
}

void Parser::ParseBetween(const Words& args) {
  RequireCount(args, 0, 1, "between [N]");
  RequireStarted("between");
  const int count = args.empty() ? 1 : ParseInt(Bare(args[0], "between [N]"), "between count");
  if (count < 0) throw ScenarioError("between count must not be negative");
  Add([count](ScenarioRunner& r) { r.BetweenTicks(count); });
}

void Parser::ParseNotify(const Words& args) {
  const std::string usage = "notify caret|focus|foreground|menustart|menuend";
  RequireCount(args, 1, 1, usage);
  RequireStarted("notify");
  const std::string what =
      Choice(args[0], {"caret", "focus", "foreground", "menustart", "menuend"}, usage);
  Add([what](ScenarioRunner& r) { r.NotifyTargetMoved(what); });
}

void Parser::ParseSettings(const Words& args) {
  RequireCount(args, 0, 0, "settings");
  RequireStarted("settings");
  Add([](ScenarioRunner& r) { r.PrintSettings(); });
}

// A combination as the settings file writes it.
Hotkey Combination(const Word& word, const std::string& usage) {
  const std::optional<Hotkey> hotkey = sevalune::ParseHotkey(Bare(word, usage));
  if (!hotkey) throw ScenarioError("not a key combination: " + word.text);
  return *hotkey;
}

void Parser::ParseHotkey(const Words& args) {
  const std::string usage = "hotkey [COMBO] | hotkey taken|free COMBO";
  RequireCount(args, 0, 2, usage);
  if (args.size() == 2) {
    const bool take = ChoiceOf<bool>(args[0], {{"taken", true}, {"free", false}}, usage);
    const Hotkey hotkey = Combination(args[1], usage);
    if (take) return Add([hotkey](ScenarioRunner& r) { r.TakeHotkey(hotkey); });
    return Add([hotkey](ScenarioRunner& r) { r.FreeHotkey(hotkey); });
  }
  RequireStarted("hotkey");
  std::optional<Hotkey> pressed;
  if (args.size() == 1) pressed = Combination(args[0], usage);
  Add([pressed](ScenarioRunner& r) { r.PressHotkey(pressed); });
}

void Parser::ParseFrames(const Words& args) {
  RequireCount(args, 0, 1, "frames [N]");
  RequireStarted("frames");
  const int count = args.empty() ? 1 : ParseInt(Bare(args[0], "frames [N]"), "frame count");
  if (count < 0) throw ScenarioError("frame count must not be negative");
  Add([count](ScenarioRunner& r) { r.Frames(count); });
}

void Parser::ParseSettle(const Words& args) {
  RequireCount(args, 0, 0, "settle");
  RequireStarted("settle");
  Add([](ScenarioRunner& r) { r.Settle(); });
}

void Parser::ParseWatching(const Words& args) {
  const std::string usage = "watching on|off";
  RequireCount(args, 1, 1, usage);
  const bool on = ChoiceOf<bool>(args[0], {{"on", true}, {"off", false}}, usage);
  Add([on](ScenarioRunner& r) { r.SetFolderWatching(on); });
}

void Parser::ParseCommand(const std::string& verb, const Words& args) {
  using CommandParser = void (Parser::*)(const Words&);
  static constexpr std::pair<std::string_view, CommandParser> kCommands[] = {
      {"platform", &Parser::ParsePlatform}, {"monitor", &Parser::ParseMonitor},
      {"exedir", &Parser::ParseExeDir},     {"window", &Parser::ParseWindow},
      {"child", &Parser::ParseChild},       {"set", &Parser::ParseSet},
      {"raise", &Parser::ParseRaise},       {"lower", &Parser::ParseLower},
      {"close", &Parser::ParseClose},       {"foreground", &Parser::ParseForeground},
      {"lock", &Parser::ParseLock},         {"gui", &Parser::ParseGui},
      {"ime", &Parser::ParseIme},           {"hang", &Parser::ParseHang},
      {"access", &Parser::ParseAccess},     {"uia", &Parser::ParseUia},
      {"cursor", &Parser::ParseCursor},     {"button", &Parser::ParseButton},
      {"yokusi", &Parser::ParseYokusi},     {"taskbar", &Parser::ParseTaskbar},
      {"answer", &Parser::ParseAnswer},     {"start", &Parser::ParseStart},
      {"second", &Parser::ParseSecond},     {"tick", &Parser::ParseTick},
      {"tray", &Parser::ParseTray},         {"settings", &Parser::ParseSettings},
      {"hotkey", &Parser::ParseHotkey},     {"frames", &Parser::ParseFrames},
      {"settle", &Parser::ParseSettle},     {"watching", &Parser::ParseWatching},
      {"between", &Parser::ParseBetween},   {"notify", &Parser::ParseNotify},
      {"expect", &Parser::ParseExpect},     {"uilanguage", &Parser::ParseUiLanguage},
  };
  for (const auto& [name, parse] : kCommands) {
    if (name == verb) return (this->*parse)(args);
  }
  throw ScenarioError("unknown command: " + verb);
}

}  // namespace

std::vector<ScenarioStep> ParseScenario(const std::string& text, int& errorLine) {
  return Parser().Parse(text, errorLine);
}

}  // namespace sevalune::sim
