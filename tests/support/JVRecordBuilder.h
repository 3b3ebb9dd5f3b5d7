#pragma once
// Byte-exact JV-Data records for tests: a record of its type's full length (CR LF included),
// spaces everywhere but the type and the fields the test chooses.
//
//   std::string ra = test::MakeRecord("RA", {{kHdr_RaceKey, "2011043004010301"}, {kRA_Entered, "11"}});
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "jvlink/JVData_Structure.h"

namespace kv::test {

// A blank record of the type: the type at positions 1-2, spaces, CR LF at the end.
inline std::string BlankRecord(std::string_view type) {
  std::string rec(static_cast<size_t>(RecordLength(type)), ' ');
  rec.replace(0, 2, type.substr(0, 2));
  rec[rec.size() - 2] = '\r';
  rec[rec.size() - 1] = '\n';
  return rec;
}

// The blank record with each field written in (text padded with blanks or cut to the field).
inline std::string MakeRecord(std::string_view type,
                              std::initializer_list<std::pair<FieldPos, std::string_view>> fields) {
  std::string rec = BlankRecord(type);
  for (const auto& [f, text] : fields) PutFld(rec, f, text);
  return rec;
}

// The stored line of a record: the record without its CR LF.
inline std::string StoredLine(std::string_view rec) {
  return std::string(rec.substr(0, rec.size() >= 2 ? rec.size() - 2 : 0));
}

}  // namespace kv::test
