#include "compare/PastRunCache.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "compare/PredictionFile.h"
#include "text/Field.h"

namespace kv {

PastRunPlaces PastRunIndex::Find(int name) const {
  const auto it = std::lower_bound(names.begin(), names.end(), name);
  if (it == names.end() || *it != name) return {};
  const size_t g = static_cast<size_t>(it - names.begin());
  return {places.data() + starts[g], places.data() + starts[g + 1]};
}

PastRunCache::NameTable::Key PastRunCache::NameTable::KeyOf(std::string_view name) {
  Key k;
  k.size = static_cast<std::uint32_t>(name.size());
  std::memcpy(k.words, name.data(), std::min(name.size(), kInline));
  return k;
}

std::uint64_t PastRunCache::NameTable::Hash(const Key& k) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ k.size;
  for (std::uint64_t w : k.words) {
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  return h;
}

size_t PastRunCache::NameTable::Slot(const Key& key, std::string_view name, std::uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = static_cast<size_t>(hash) & mask;; at = (at + 1) & mask) {
    const SlotEntry& e = slots_[at];
    if (e.id < 0 || (e.key == key && (key.size <= kInline || Name(e.id) == name))) return at;
  }
}

int PastRunCache::NameTable::Find(std::string_view name) const {
  if (slots_.empty()) return -1;
  const Key key = KeyOf(name);
  return slots_[Slot(key, name, Hash(key))].id;
}

int PastRunCache::NameTable::Add(std::string_view name) {
  const size_t count = starts_.size() - 1;
  if ((count + 1) * 2 > slots_.size()) {  // at most half full
    std::vector<SlotEntry> old = std::move(slots_);
    slots_.assign(std::max<size_t>(1024, old.size() * 2), SlotEntry{});
    for (const SlotEntry& e : old)
      if (e.id >= 0) slots_[Slot(e.key, Name(e.id), Hash(e.key))] = e;
  }
  const Key key = KeyOf(name);
  const size_t at = Slot(key, name, Hash(key));
  if (slots_[at].id >= 0) return slots_[at].id;
  bytes_.append(name);
  starts_.push_back(bytes_.size());
  slots_[at] = {key, static_cast<int>(count)};
  return slots_[at].id;
}

int PastRunCache::NameId(std::string_view name, int lane) const {
  if (IsBlank(name)) return kBlankName;
  const int id = names_[static_cast<size_t>(lane)].Find(name);
  return id < 0 ? kUnknownName : id;
}

PastRunIndex PastRunCache::Parse(const RecordFile& file, int lane) {
  NameTable& names = names_[static_cast<size_t>(lane)];
  PastRunIndex index;
  index.races.resize(file.size());
  // Every non-blank entry as one sortable key: name id, then line, then entry (file order within
  // a name). Every occurrence is distinct.
  constexpr int kEntryBits = 5, kLineShift = kEntryBits, kNameShift = 32;
  static_assert(kak::kEntries < (1 << kEntryBits));
  thread_local std::vector<std::uint64_t> all;  // kept from file to file
  all.clear();
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
      const std::string_view name = Fld(entry, kak::kEntryName, kak::kEntryNameLen);
      c.name = IsBlank(name) ? kBlankName : names.Add(name);
      c.time = TimeTenths(Fld(entry, kak::kEntryTime, kak::kEntryTimeLen));
      c.weight = FldInt(entry, kak::kEntryWeight, kak::kEntryWeightLen);
      if (c.name != kBlankName)
        all.push_back(static_cast<std::uint64_t>(c.name) << kNameShift | static_cast<std::uint64_t>(k) << kLineShift |
                      static_cast<std::uint64_t>(e));
    }
  }
  std::sort(all.begin(), all.end());
  index.places.reserve(all.size());
  size_t groups = 0;
  for (size_t i = 0; i < all.size(); ++i) groups += i == 0 || all[i] >> kNameShift != all[i - 1] >> kNameShift;
  index.names.reserve(groups);
  index.starts.reserve(groups + 1);
  int previous = -1;
  for (size_t i = 0; i < all.size(); ++i) {
    const int name = static_cast<int>(all[i] >> kNameShift);
    if (name != previous) {
      index.names.push_back(name);
      index.starts.push_back(static_cast<int>(i));
      previous = name;
    }
    index.places.push_back({static_cast<int>((all[i] & 0xFFFFFFFFu) >> kLineShift),
                            static_cast<int>(all[i] & ((1u << kEntryBits) - 1))});
  }
  index.starts.push_back(static_cast<int>(all.size()));
  return index;
}

std::unique_ptr<PastRunIndex> PastRunCache::ParseKept(const RecordFile& file, int lane) {
  auto index = std::make_unique<PastRunIndex>(Parse(file, lane));
  contentBytes_.fetch_add(IndexBytes(*index), std::memory_order_relaxed);
  return index;
}

PastRunCache::~PastRunCache() { StopReadAhead(); }

void PastRunCache::StopReadAhead() {
  stop_.store(true, std::memory_order_relaxed);
  if (reader_.joinable()) reader_.join();
}

bool PastRunCache::TryClaim(std::atomic<int>& state) {
  int s = state.load(std::memory_order_acquire);
  return s == kUnread && state.compare_exchange_strong(s, kReading, std::memory_order_acquire);
}

void PastRunCache::Publish(std::atomic<int>& state) {
  {
    std::lock_guard lock(stateMutex_);
    state.store(kRead, std::memory_order_release);
  }
  stateChanged_.notify_all();
}

void PastRunCache::WaitUntilRead(std::atomic<int>& state) {
  if (state.load(std::memory_order_acquire) == kRead) return;
  std::unique_lock lock(stateMutex_);
  stateChanged_.wait(lock, [&] { return state.load(std::memory_order_acquire) == kRead; });
}

void PastRunCache::ReadAhead(const std::vector<std::string>& horseIds, const std::vector<bool>& withPredictions) {
  // While a thread runs a call may only add entries: the thread reads ahead_ and holds its pointers.
  const bool start = !reader_.joinable();
  if (start) {
    ahead_.clear();
    stop_.store(false, std::memory_order_relaxed);
  }
  for (size_t i = 0; i < horseIds.size(); ++i) {
    const std::string& id = horseIds[i];
    if (!IsHorseId(id)) continue;
    const auto [it, added] = files_.try_emplace(id);
    Entry& entry = it->second;
    entry.lastDay = day_;
    if (!start) continue;
    const bool predictions = i >= withPredictions.size() || withPredictions[i];
    // A file kept from an earlier day needs nothing more (the lane-1 parse included).
    if (!added && entry.state.load(std::memory_order_acquire) == kRead && entry.parsed[kReadAheadLane] &&
        (!predictions || entry.predictionState.load(std::memory_order_acquire) == kRead))
      continue;
    // Map nodes stay where they are while the caller adds others: the thread keeps pointers.
    ahead_.push_back({&entry, it->first, predictions});
  }
  if (!start || ahead_.empty()) return;
  try {
    reader_ = std::thread([this] { ReadAll(); });
  } catch (const std::system_error&) {
    ahead_.clear();  // nothing taken: every file is read when asked for
  }
}

void PastRunCache::Expect(const std::vector<std::string>& horseIds) {
  for (const std::string& id : horseIds)
    if (IsHorseId(id)) files_.try_emplace(id).first->second.lastDay = day_;
}

size_t PastRunCache::IndexBytes(const PastRunIndex& i) {
  return sizeof(PastRunIndex) + i.races.capacity() * sizeof(PastRunRace) + i.places.capacity() * sizeof(PastRunPlace) +
         (i.names.capacity() + i.starts.capacity()) * sizeof(int);
}

size_t PastRunCache::Entry::ContentBytes() const {
  size_t n = file.Bytes().size() + predictions.Bytes().size();
  for (const auto& i : index)
    if (i) n += IndexBytes(*i);
  return n;
}

void PastRunCache::ForgetPredictionFiles() {
  StopReadAhead();
  for (auto& [id, entry] : files_)
    if (entry.predictionState.load(std::memory_order_acquire) == kRead) {
      contentBytes_.fetch_sub(entry.predictions.Bytes().size(), std::memory_order_relaxed);
      entry.predictions = RecordFile();
      entry.predictionState.store(kUnread, std::memory_order_relaxed);
    }
}

void PastRunCache::NextDay(size_t keepBytes) {
  StopReadAhead();
  ahead_.clear();
  ++day_;
  if (HeldBytes() <= keepBytes) return;
  // Least recently expected first; the sort happens only when the cache has grown past the bound.
  std::vector<std::pair<std::uint64_t, decltype(files_)::iterator>> byAge;
  byAge.reserve(files_.size());
  for (auto it = files_.begin(); it != files_.end(); ++it) byAge.emplace_back(it->second.lastDay, it);
  std::sort(byAge.begin(), byAge.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const size_t target = keepBytes / 4 * 3;
  for (const auto& [lastDay, it] : byAge) {
    if (HeldBytes() <= target) break;
    contentBytes_.fetch_sub(it->second.ContentBytes(), std::memory_order_relaxed);
    files_.erase(it);
  }
  recent_ = {};  // they may point at entries gone
}

void PastRunCache::ReadAll() {
  // From the last horse back: the caller comes from the first, so each file is read by whichever
  // of the two gets there first and the two wait for each other once, where they meet.
  for (auto a = ahead_.rbegin(); a != ahead_.rend(); ++a) {
    if (stop_.load(std::memory_order_relaxed)) return;
    if (TryClaim(a->entry->state)) Fill(*a->entry, a->id);
    if (a->predictions && TryClaim(a->entry->predictionState)) FillPredictions(*a->entry, a->id);
  }
  // Then the parsing the second comparison thread would do, while the caller places what it
  // read. That lane is this thread's until EndReadAhead joins it.
  constexpr size_t kLane = kReadAheadLane;
  for (auto a = ahead_.rbegin(); a != ahead_.rend(); ++a) {
    if (stop_.load(std::memory_order_relaxed)) return;
    Entry& entry = *a->entry;
    WaitUntilRead(entry.state);
    if (entry.parsed[kLane]) continue;
    if (entry.file.ok()) entry.index[kLane] = ParseKept(entry.file, static_cast<int>(kLane));
    entry.parsed[kLane] = true;
  }
}

void PastRunCache::Fill(Entry& entry, std::string_view horseId) {
  const fs::path path = PastRunPathIn(pastRunFolder_, horseId);
  if (!path.empty()) entry.file = ReadPastRunRecords(path);
  contentBytes_.fetch_add(entry.file.Bytes().size(), std::memory_order_relaxed);
  Publish(entry.state);
}

void PastRunCache::FillPredictions(Entry& entry, std::string_view horseId) {
  const fs::path path = PredictionPathIn(pastRunFolder_, horseId);
  if (!path.empty()) entry.predictions = ReadPredictionRecords(path);
  contentBytes_.fetch_add(entry.predictions.Bytes().size(), std::memory_order_relaxed);
  Publish(entry.predictionState);
}

PastRunCache::Entry& PastRunCache::EntryOf(std::string_view horseId) {
  auto it = files_.find(horseId);
  if (it == files_.end()) it = files_.try_emplace(std::string(horseId)).first;
  return it->second;
}

PastRunCache::Entry& PastRunCache::Read(std::string_view horseId) {
  Entry& entry = EntryOf(horseId);
  if (TryClaim(entry.state))
    Fill(entry, horseId);
  else
    WaitUntilRead(entry.state);  // the read-ahead has it
  return entry;
}

const RecordFile* PastRunCache::File(std::string_view horseId) {
  if (!IsHorseId(horseId)) return nullptr;
  return &Read(horseId).file;
}

const RecordFile* PastRunCache::PredictionFile(std::string_view horseId) {
  if (!IsHorseId(horseId)) return nullptr;
  Entry& entry = EntryOf(horseId);
  if (TryClaim(entry.predictionState))
    FillPredictions(entry, horseId);
  else
    WaitUntilRead(entry.predictionState);
  return &entry.predictions;
}

const PastRunIndex* PastRunCache::Get(std::string_view horseId, std::string* error, int lane) {
  if (error) error->clear();
  const size_t l = static_cast<size_t>(lane);
  std::array<Recent, 2>& recent = recent_[l];
  const auto same = [&](const Recent& r) {
    return r.entry && horseId.size() == r.id.size() && std::equal(r.id.begin(), r.id.end(), horseId.begin());
  };
  Entry* found = nullptr;
  if (same(recent[0])) {
    found = recent[0].entry;
  } else if (same(recent[1])) {
    found = recent[1].entry;
    std::swap(recent[0], recent[1]);
  } else {
    if (!IsHorseId(horseId)) return nullptr;
    found = &Read(horseId);
    recent[1] = recent[0];
    std::copy(horseId.begin(), horseId.end(), recent[0].id.begin());
    recent[0].entry = found;
  }
  Entry& entry = *found;
  if (!entry.parsed[l]) {
    if (entry.file.ok()) entry.index[l] = ParseKept(entry.file, lane);
    entry.parsed[l] = true;
  }
  if (error && !entry.file.ok() && !entry.file.missing()) *error = entry.file.error();
  return entry.index[l].get();
}

}  // namespace kv
