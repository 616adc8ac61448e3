#include "install/log_entries.h"

#include "install/registry_key_parent.h"
#include "platform/numbers.h"

namespace cv {

namespace {

std::string Without(std::string_view text, char removed) {
  std::string out;
  for (char c : text) {
    if (c != removed) out += c;
  }
  return out;
}

std::string Field(const std::vector<std::string>& fields, std::size_t index) {
  return index < fields.size() ? fields[index] : std::string();
}

int IntField(const std::vector<std::string>& fields, std::size_t index, int fallback) {
  return index < fields.size() ? StrToIntDef(fields[index], fallback) : fallback;
}

}  // namespace

LogEntry SplitLogLine(std::string_view line, bool keyUpToLastEquals) {
  const std::size_t first = line.find('=');
  if (first == std::string_view::npos) return {std::string(line), {}};
  const std::size_t keyEnd = keyUpToLastEquals ? line.rfind('=') : first;
  return {std::string(line.substr(0, keyEnd)), std::string(line.substr(first + 1))};
}

std::vector<std::string> SplitLogFields(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  for (;;) {
    if (pos < text.size() && text[pos] == '\'') {
      std::size_t close = pos + 1;
      for (;;) {
        close = text.find('\'', close);
        if (close == std::string_view::npos || close + 1 == text.size() || text[close + 1] == ',') {
          break;
        }
        ++close;
      }
      if (close == std::string_view::npos) {
        // An unclosed quote: the rest is the field.
        fields.emplace_back(text.substr(pos + 1));
        return fields;
      }
      fields.emplace_back(text.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    } else {
      const std::size_t comma = std::min(text.find(',', pos), text.size());
      fields.emplace_back(text.substr(pos, comma - pos));
      pos = comma;
    }
    if (pos >= text.size()) return fields;
    ++pos;  // the comma
  }
}

LoggedProgram ParseLoggedProgram(std::string_view value) {
  const std::vector<std::string> fields = SplitLogFields(value);
  LoggedProgram program;
  program.CmdLine = Without(Field(fields, 0), '"');
  program.Arg = Field(fields, 1);
  program.WorkDir = Field(fields, 2);
  program.ShowCode = IntField(fields, 3, 1);
  program.Msg = Without(Field(fields, 4), '"');
  program.Wait = IntField(fields, 5, 1) != 0;
  program.CheckExitCode = IntField(fields, 6, 1) != 0;
  return program;
}

LoggedRegistryValue ParseLoggedRegistryValue(std::string_view name, std::string_view value) {
  LoggedRegistryValue entry;
  entry.Key = RegistryParentKey(name);
  if (entry.Key.size() < name.size()) entry.Name = Without(name.substr(entry.Key.size() + 1), '\'');
  if (value.empty()) return entry;
  const std::vector<std::string> fields = SplitLogFields(value);
  entry.Type = IntField(fields, 0, 0);
  // An unquoted text after the type is taken whole: a binary value's bytes
  // may be separated by commas.
  const std::size_t comma = value.find(',');
  const std::string_view rest =
      comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
  std::string data = Without(rest.empty() || rest[0] != '\'' ? rest : Field(fields, 1), '\'');
  for (std::size_t i = 0; i < data.size(); ++i) {
    const bool pair = data.compare(i, 2, "||") == 0;
    entry.Data += pair ? std::string("\r\n") : std::string(1, data[i]);
    if (pair) ++i;
  }
  return entry;
}

LoggedIniEntry ParseLoggedIniEntry(std::string_view name) {
  const std::vector<std::string> fields = SplitLogFields(name);
  return {Field(fields, 0), Field(fields, 1), Field(fields, 2)};
}

LoggedEnvironmentVariable ParseLoggedEnvironmentVariable(std::string_view value) {
  const std::size_t comma = value.find(',');
  LoggedEnvironmentVariable entry;
  entry.System = value.substr(0, comma) == "1";
  if (comma != std::string_view::npos) entry.AddedPaths = std::string(value.substr(comma + 1));
  return entry;
}

}  // namespace cv
