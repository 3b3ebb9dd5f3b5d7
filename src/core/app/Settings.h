#pragma once
// The program's settings: one ini file, "Korvane2.ini" in the program folder, shared by the
// workbench and the CLI. Sections hold key=value lines; values are Boolean (0/1), integer or text.
//
// Encoding: a file that starts with a UTF-16 byte-order mark (little- or big-endian, as Windows
// editors save) is read as UTF-16; one that is valid UTF-8 and holds non-ASCII bytes (or starts
// with the UTF-8 mark) as UTF-8; any other file as code page 932. Values are held as CP932 in
// memory. Saving keeps the encoding the file was read in, its mark included (a new file is
// written as CP932, the encoding of every other file of the program), writes lines that were
// not changed back as they were (comments and unknown keys survive) and replaces the file
// atomically. A file that cannot be decoded (UTF-16 cut or with a lone surrogate, a UTF-8 mark
// before bytes that are not UTF-8) is reported by name, its settings
// read as defaults, and it is never rewritten: the user's file stays as it was.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/Files.h"

namespace kv {

inline constexpr const char* kSettingsFileName = "Korvane2.ini";

enum class SettingType { Bool, Int, Text };

// Where a text default comes from: the literal itself, or the program folder joined with it.
enum class DefaultBase { Literal, ProgDir };

// One row of the defaults table.
struct SettingDef {
  std::string_view section;
  std::string_view key;
  SettingType type;
  std::string_view value;  // the default as ini text (UTF-8): "0"/"1", a number, or a text
  DefaultBase base;
  std::string_view meaning;
  int min = 0, max = 0;  // the range the settings dialog allows (integers; both 0: none)
};

// Every setting the program reads or writes, with its type and default.
std::span<const SettingDef> SettingDefs();
// The row for section/key (compared without regard to ASCII case), or nullptr.
const SettingDef* FindSettingDef(std::string_view section, std::string_view key);

class Settings {
 public:
  // A store for the file named kSettingsFileName in progDir (an existing file whose name
  // differs only in case is used). Nothing is read until Load().
  explicit Settings(const fs::path& progDir);

  // Reads the file. A missing file is an empty store (every read gives its default) and not an
  // error; an unreadable file leaves the store empty and reports why.
  FileResult Load();

  const fs::path& Path() const { return path_; }
  const fs::path& ProgDir() const { return progDir_; }
  bool FileIsUtf8() const { return utf8_; }  // UTF-8 or UTF-16: Unicode text
  // The file was there but could not be decoded: nothing is ever written to it.
  bool FileUndecodable() const { return undecodable_; }

  bool Has(std::string_view section, std::string_view key) const;

  // Reads with the default of the call; a missing key, or a value that is not a number where a
  // number is wanted, gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  int ReadInt(std::string_view section, std::string_view key, int def) const;
  // Text as CP932. "" and ｢｣ read as empty; "x…" and ｢x…｣ lose their enclosing pair.
  std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const;

  // Reads with the default of the defaults table (a key not in the table defaults to
  // false / 0 / empty). An integer with a dialog range is clamped into it, so a hand-edited
  // value never reaches a timer or a loop that the dialog would have refused. Text defaults
  // based on the program folder give its path as CP932.
  bool GetBool(std::string_view section, std::string_view key) const;
  int GetInt(std::string_view section, std::string_view key) const;
  std::string GetText(std::string_view section, std::string_view key) const;
  // The table default of a key as the text it would be stored as.
  std::string DefaultText(const SettingDef& def) const;

  // Each write stores the value and saves the file at once. The file is read again first so
  // that a value written meanwhile by another program sharing the file is kept; when that
  // re-read fails nothing is written. The value is kept in memory even when saving fails.
  FileResult WriteBool(std::string_view section, std::string_view key, bool value);
  FileResult WriteInt(std::string_view section, std::string_view key, int value);
  FileResult WriteText(std::string_view section, std::string_view key, std::string_view cp932);

  // Writes the whole store to the file.
  FileResult Save() const;

 private:
  struct Line {
    std::string raw;    // the line as read, in the file's encoding, without its line end
    bool entry = false; // a key=value line
    bool changed = false;
    std::string key;    // CP932, trimmed
    std::string value;  // CP932, trimmed
  };
  struct Section {
    std::string name;       // CP932; empty for the lines before the first section header
    std::string rawHeader;  // header line as read (empty for a new section)
    bool changed = false;
    std::vector<Line> lines;
  };

  const std::string* Find(std::string_view section, std::string_view key) const;
  FileResult Write(std::string_view section, std::string_view key, std::string value);
  // Decodes and parses the file's bytes; false (the store left empty) when they do not decode.
  bool Parse(std::string_view bytes);
  FileResult Undecodable() const;
  std::string Render(std::string_view cp932) const;

  fs::path progDir_;
  fs::path path_;
  enum class Encoding { Cp932, Utf8, Utf16LE, Utf16BE };
  Encoding encoding_ = Encoding::Cp932;
  bool utf8_ = false;  // lines are held as UTF-8 (a UTF-8 or UTF-16 file)
  bool bom_ = false;   // the file starts with a byte-order mark
  bool undecodable_ = false;
  std::vector<Section> sections_;
};

// A window's place and size, kept in a section as "top", "left", "width" and "height".
struct WindowGeometry {
  int top = 10, left = 10, width = 630, height = 450;
  bool operator==(const WindowGeometry&) const = default;
};
WindowGeometry ReadWindowGeometry(const Settings& settings, std::string_view section);
// Writes only the values that changed (the file is rewritten for each write).
void WriteWindowGeometry(Settings& settings, std::string_view section, const WindowGeometry& g);

// Applies the reading rules of a text value: exactly "" or ｢｣ reads empty; a value of more than
// two characters enclosed in double quotes or in ｢ ｣ loses the pair. Works on CP932 text.
std::string UnquoteSettingText(std::string_view cp932);

}  // namespace kv
