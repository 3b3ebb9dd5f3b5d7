#include "compare/PastRunCache.h"

#include <algorithm>

#include "text/Field.h"

namespace kv {

int PastRunCache::NameId(std::string_view name) const {
  if (IsBlank(name)) return kBlankName;
  auto it = names_.find(std::string(name));
  return it == names_.end() ? kUnknownName : it->second;
}

int PastRunCache::Intern(std::string_view name) {
  if (IsBlank(name)) return kBlankName;
  auto [it, added] = names_.try_emplace(std::string(name), static_cast<int>(names_.size()));
  return it->second;
}

PastRunIndex PastRunCache::Parse(const RecordFile& file) {
  PastRunIndex index;
  index.races.resize(file.size());
  for (size_t k = 0; k < file.size(); ++k) {
    const std::string_view line = file.Line(k);
    PastRunRace& r = index.races[k];
    r.date = PastRunDate(line);
    r.runners = std::clamp(FldInt(line, kak::kRunners, kak::kRunnersLen), 0, kak::kEntries);
    r.weight = FldInt(line, kak::kWeight, kak::kWeightLen);
    r.time = TimeTenths(Fld(line, kak::kTime, kak::kTimeLen));
    r.finalPos = FldInt(line, kak::kFinal, kak::kFinalLen);
    for (int e = 0; e < r.runners; ++e) {
      const std::string_view entry = Fld(line, kak::kFieldList + e * kak::kEntryLen, kak::kEntryLen);
      PastRunRunner& c = r.field[static_cast<size_t>(e)];
      c.name = Intern(Fld(entry, kak::kEntryName, kak::kEntryNameLen));
      c.time = TimeTenths(Fld(entry, kak::kEntryTime, kak::kEntryTimeLen));
      c.weight = FldInt(entry, kak::kEntryWeight, kak::kEntryWeightLen);
      if (c.name != kBlankName) index.byName[c.name].push_back({static_cast<int>(k), e});
    }
  }
  return index;
}

const PastRunIndex* PastRunCache::Get(std::string_view horseId, std::string* error) {
  if (error) error->clear();
  auto [it, added] = files_.try_emplace(std::string(horseId));
  Entry& entry = it->second;
  if (added) {
    const fs::path path = PastRunPath(programFolder_, horseId);
    if (!path.empty()) {
      RecordFile file = ReadPastRunRecords(path);
      if (file.ok())
        entry.index = std::make_unique<PastRunIndex>(Parse(file));
      else if (!file.missing())
        entry.error = file.error();
    }
  }
  if (error) *error = entry.error;
  return entry.index.get();
}

}  // namespace kv
