#include "simrunner/ScenarioParser.h"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <sstream>

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
      if (trimmed == "ini") {
        i = ParseIni(lines, i);
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

  std::size_t ParseIni(const std::vector<std::string>& lines, std::size_t start) {
    std::string bytes;
    for (std::size_t i = start + 1; i < lines.size(); ++i) {
      if (Trimmed(lines[i]) == "end") {
        Add([bytes](ScenarioRunner& r) { r.SetSettingsFile(bytes); });
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

  void ParseCommand(const std::string& verb, const Words& args);
  void ParseWindow(const Words& args);
  void ParseChild(const Words& args);
  void ParseSet(const Words& args);
  void ParseGui(const Words& args);
  void ParseAnswer(const Words& args);
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

void Parser::ParseCommand(const std::string& verb, const Words& args) {
  if (verb == "platform") {
    RequireCount(args, 1, 1, "platform new|old");
    const bool hasNew = Choice(args[0], {"new", "old"}, "platform new|old") == "new";
    Add([hasNew](ScenarioRunner& r) { r.SetPlatformNew(hasNew); });
  } else if (verb == "monitor") {
    RequireCount(args, 1, 2, "monitor L,T,R,B [primary]");
    const Rect rect = ParseRect(Bare(args[0], "monitor L,T,R,B [primary]"));
    const bool primary =
        args.size() == 2 && Choice(args[1], {"primary"}, "monitor L,T,R,B [primary]") == "primary";
    Add([rect, primary](ScenarioRunner& r) { r.AddMonitor(rect, primary); });
  } else if (verb == "exedir") {
    RequireCount(args, 1, 1, "exedir PATH");
    Add([dir = Bare(args[0], "exedir PATH")](ScenarioRunner& r) { r.SetExecutableDirectory(dir); });
  } else if (verb == "window") {
    ParseWindow(args);
  } else if (verb == "child") {
    ParseChild(args);
  } else if (verb == "set") {
    ParseSet(args);
  } else if (OneOf(verb, {"raise", "lower", "close"})) {
    RequireCount(args, 1, 1, verb + " NAME");
    const std::string name = KnownName(Bare(args[0], verb + " NAME"));
    if (verb == "raise") Add([name](ScenarioRunner& r) { r.Raise(name); });
    if (verb == "lower") Add([name](ScenarioRunner& r) { r.Lower(name); });
    if (verb == "close") Add([name](ScenarioRunner& r) { r.Close(name); });
  } else if (verb == "foreground") {
    RequireCount(args, 1, 1, "foreground NAME|none");
    const std::string name = KnownName(Bare(args[0], "foreground NAME|none"));
    Add([name](ScenarioRunner& r) { r.SetForeground(name); });
  } else if (verb == "lock") {
    RequireCount(args, 1, 1, "lock on|off");
    const bool on = Choice(args[0], {"on", "off"}, "lock on|off") == "on";
    Add([on](ScenarioRunner& r) { r.SetLock(on); });
  } else if (verb == "gui") {
    ParseGui(args);
  } else if (verb == "ime" || verb == "hang") {
    const std::string usage = verb == "ime" ? "ime PROCESS open|closed" : "hang PROCESS on|off";
    RequireCount(args, 2, 2, usage);
    const auto process = static_cast<ProcessId>(ParseInt(Bare(args[0], usage), "process"));
    const std::string state = verb == "ime" ? Choice(args[1], {"open", "closed"}, usage)
                                            : Choice(args[1], {"on", "off"}, usage);
    const bool on = state == "open" || state == "on";
    if (verb == "ime") Add([process, on](ScenarioRunner& r) { r.SetImeOpen(process, on); });
    if (verb == "hang") Add([process, on](ScenarioRunner& r) { r.SetHung(process, on); });
  } else if (verb == "cursor") {
    RequireCount(args, 1, 1, "cursor X,Y");
    const Point point = ParsePoint(Bare(args[0], "cursor X,Y"));
    Add([point](ScenarioRunner& r) { r.SetCursor(point); });
  } else if (verb == "button") {
    RequireCount(args, 1, 1, "button down|up|click");
    const std::string action = Choice(args[0], {"down", "up", "click"}, "button down|up|click");
    Add([action](ScenarioRunner& r) { r.Button(action); });
  } else if (verb == "yokusi") {
    RequireCount(args, 0, 1, "yokusi TEXT");
    const std::string text = args.empty() ? std::string() : args[0].text;
    Add([text](ScenarioRunner& r) { r.SetYokusi(text); });
  } else if (verb == "taskbar") {
    RequireCount(args, 1, 1, "taskbar present|none|restart");
    const std::string action =
        Choice(args[0], {"present", "none", "restart"}, "taskbar present|none|restart");
    Add([action](ScenarioRunner& r) { r.Taskbar(action); });
  } else if (verb == "answer") {
    ParseAnswer(args);
  } else if (verb == "start") {
    RequireCount(args, 0, 0, "start");
    if (started_) throw ScenarioError("start given twice");
    started_ = true;
    Add([](ScenarioRunner& r) { r.Start(); });
  } else if (verb == "second") {
    RequireCount(args, 0, 0, "second");
    Add([](ScenarioRunner& r) { r.StartSecondInstance(); });
  } else if (verb == "tick") {
    RequireCount(args, 0, 1, "tick [N]");
    RequireStarted(verb);
    const int count = args.empty() ? 1 : ParseInt(Bare(args[0], "tick [N]"), "tick count");
    if (count < 0) throw ScenarioError("tick count must not be negative");
    Add([count](ScenarioRunner& r) { r.Tick(count); });
  } else if (verb == "tray") {
    RequireCount(args, 1, 1, "tray move|ldown|lup|rdown|rup|ldouble");
    RequireStarted(verb);
    const std::string event = Choice(args[0], {"move", "ldown", "lup", "rdown", "rup", "ldouble"},
                                     "tray move|ldown|lup|rdown|rup|ldouble");
    Add([event](ScenarioRunner& r) { r.Tray(event); });
  } else if (verb == "settings") {
    RequireCount(args, 0, 0, "settings");
    RequireStarted(verb);
    Add([](ScenarioRunner& r) { r.PrintSettings(); });
  } else if (verb == "expect") {
    ParseExpect(args);
  } else {
    throw ScenarioError("unknown command: " + verb);
  }
}

}  // namespace

std::vector<ScenarioStep> ParseScenario(const std::string& text, int& errorLine) {
  return Parser().Parse(text, errorLine);
}

}  // namespace sevalune::sim
