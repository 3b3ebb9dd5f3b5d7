#include "compare/PastRunCache.h"

#include <algorithm>

#include "text/Field.h"

namespace kv {

PastRunPlaces PastRunIndex::Find(int name) const {
  const auto it = std::lower_bound(names.begin(), names.end(), name);
  if (it == names.end() || *it != name) return {};
  const size_t g = static_cast<size_t>(it - names.begin());
  return {places.data() + starts[g], places.data() + starts[g + 1]};
}

int PastRunCache::NameId(std::string_view name) const {
  if (IsBlank(name)) return kBlankName;
  auto it = names_.find(name);
  return it == names_.end() ? kUnknownName : it->second;
}

int PastRunCache::Intern(std::string_view name) {
  if (IsBlank(name)) return kBlankName;
  auto it = names_.find(name);
  if (it == names_.end()) it = names_.emplace(std::string(name), static_cast<int>(names_.size())).first;
  return it->second;
}

PastRunIndex PastRunCache::Parse(const RecordFile& file) {
  PastRunIndex index;
  index.races.resize(file.size());
  // (name, line, entry) of every non-blank entry, in file order; grouped by name below.
  struct Occurrence {
    int name, line, entry;
  };
  std::vector<Occurrence> all;
  all.reserve(file.size() * kak::kEntries);
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
      if (c.name != kBlankName) all.push_back({c.name, static_cast<int>(k), e});
    }
  }
  // A stable sort by name keeps each name's places in file order.
  std::stable_sort(all.begin(), all.end(), [](const Occurrence& a, const Occurrence& b) { return a.name < b.name; });
  index.places.reserve(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    if (i == 0 || all[i].name != all[i - 1].name) {
      index.names.push_back(all[i].name);
      index.starts.push_back(static_cast<int>(i));
    }
    index.places.push_back({all[i].line, all[i].entry});
  }
  index.starts.push_back(static_cast<int>(all.size()));
  return index;
}

PastRunCache::Entry& PastRunCache::Read(std::string_view horseId) {
  auto it = files_.find(horseId);
  if (it == files_.end()) it = files_.emplace(std::string(horseId), Entry{}).first;
  Entry& entry = it->second;
  if (!entry.read) {
    entry.read = true;
    const fs::path path = PastRunPath(programFolder_, horseId);
    if (!path.empty()) entry.file = ReadPastRunRecords(path);
  }
  return entry;
}

const RecordFile* PastRunCache::File(std::string_view horseId) {
  if (!IsHorseId(horseId)) return nullptr;
  return &Read(horseId).file;
}

const PastRunIndex* PastRunCache::Get(std::string_view horseId, std::string* error) {
  if (error) error->clear();
  Entry& entry = Read(horseId);
  if (!entry.parsed) {
    entry.parsed = true;
    if (entry.file.ok()) entry.index = std::make_unique<PastRunIndex>(Parse(entry.file));
  }
  if (error && !entry.file.ok() && !entry.file.missing()) *error = entry.file.error();
  return entry.index.get();
}

}  // namespace kv
