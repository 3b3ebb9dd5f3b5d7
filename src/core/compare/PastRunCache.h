#pragma once
// The past-run files of one comparison run, each read and parsed once, keyed by horse ID.
//
// A run compares every pair of runners of a race, and the same horse's file takes part in up
// to 17 pairs of every race it runs in. The cache parses each file once into numbers, turns
// every 18-byte opponent name into a small integer (one name table for the whole run — per lane,
// below — so a name test is an integer test) and indexes each file by opponent: for every name, the (line, entry)
// places where it occurs among the first n field entries of a line, in file order.
//
// The files must not change during the run; make a new cache for the next run.
//
// A run that knows its horses up front hands them to ReadAhead: a second thread then reads their
// past-run and prediction files from the last horse back while the caller does other work (the
// day loader places payouts and odds meanwhile) and then walks the horses from the first on.
// Whichever thread comes to a file first reads it; the other waits for it. Going opposite ways,
// the two meet once: walking the same way, the caller would catch up with the thread and wait
// on nearly every file. With every file read, the thread goes on parsing them from the last back
// in lane 1, the lane of the comparison thread that takes races from the last one back, until
// EndReadAhead.
//
// A run may compare races on two threads at once: each thread parses and looks names up in a lane
// of its own (its own name table, its own parsed copy of a file), so the threads share only the
// bytes read. A lane is used by one thread at a time; the names of two files compare as integers
// only when both were parsed in the same lane. All the IDs a multi-lane run asks for must have
// been handed to ReadAhead or Expect first (the threads then only look entries up, never add them).
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/Files.h"
#include "compare/PastRunFile.h"
#include "jvlink/RecordFile.h"

namespace kv {

// One field entry of a past-run line, parsed.
struct PastRunRunner {
  int name = -1;   // id in the run's name table; PastRunCache::kBlankName for a blank name
  int time = 0;    // tenths of a second; 0 = no time
  int weight = 0;  // carried weight in 0.1 kg
};

// One past-run line, parsed: the values the comparison reads.
struct PastRunRace {
  int date = 0;      // yyyymmdd
  int runners = 0;   // registered runners n, clamped to 0..18: the entries to scan
  int weight = 0;    // the horse's own carried weight in 0.1 kg
  int time = 0;      // the horse's own time in tenths of a second
  int finalPos = 0;  // the horse's own final position
  std::array<PastRunRunner, kak::kEntries> field{};
};

// Where an opponent occurs in a file.
struct PastRunPlace {
  int line;
  int entry;
};

// The places of one opponent in a file, in file order.
struct PastRunPlaces {
  const PastRunPlace* first = nullptr;
  const PastRunPlace* last = nullptr;
  const PastRunPlace* begin() const { return first; }
  const PastRunPlace* end() const { return last; }
  bool empty() const { return first == last; }
};

struct PastRunIndex {
  std::vector<PastRunRace> races;  // file order (oldest first)
  // Every place of every non-blank name, grouped by name id (groups in ascending id order), in
  // file order within a group (line ascending, then entry ascending); names[g] is the id of group
  // g and starts[g]..starts[g + 1] its places. Blank names are not indexed.
  std::vector<PastRunPlace> places;
  std::vector<int> names;
  std::vector<int> starts;

  // The places of a name; none when the file does not hold it.
  PastRunPlaces Find(int name) const;
};

class PastRunCache {
 public:
  static constexpr int kBlankName = -1;    // a name of ASCII blanks only
  static constexpr int kUnknownName = -2;  // a name that occurs in no file read so far
  static constexpr int kLanes = 2;

  explicit PastRunCache(fs::path programFolder)
      : programFolder_(std::move(programFolder)), pastRunFolder_(PastRunFolder(programFolder_)) {}
  ~PastRunCache();
  PastRunCache(const PastRunCache&) = delete;
  PastRunCache& operator=(const PastRunCache&) = delete;

  // Starts reading the files of these horses, from the last back, on a second thread: each
  // horse's past-run file, then its prediction file unless withPredictions (when not empty) says
  // no for it. IDs that are not ten digits or were asked for already are left out. At most one
  // read-ahead per cache: a later call only makes the entries of IDs not seen yet. Get and File
  // wait for a file the thread has taken and not finished, and read a file themselves when they
  // come to it first. Where no thread can be started, every file is read when asked for, as
  // without a read-ahead.
  void ReadAhead(const std::vector<std::string>& horseIds, const std::vector<bool>& withPredictions = {});

  // Stops the read-ahead where it is and waits for its thread: lane 1 is then free for the
  // caller's threads. Files it has not read are read when asked for.
  void EndReadAhead() { StopReadAhead(); }

  // Makes the entries of these horses without reading anything yet (IDs that are not ten digits
  // are left out), so that threads may then ask for them together.
  void Expect(const std::vector<std::string>& horseIds);

  // The parsed file of a horse, parsed in the given lane (0 .. kLanes - 1). nullptr when there is
  // none: the ID is not ten digits, the file does not exist, or it is damaged or unreadable — then
  // error is set to the CP932 message naming the file (left empty otherwise). Each file is read at
  // most once per cache and parsed at most once per lane.
  const PastRunIndex* Get(std::string_view horseId, std::string* error = nullptr, int lane = 0);

  // The file of a horse as read (framing checked), for a reader of its raw lines such as the day
  // loader; read at most once per cache and shared with Get, which parses it when first asked.
  // nullptr when the ID is not ten digits.
  const RecordFile* File(std::string_view horseId);

  // The prediction file of a horse as read (framing checked): read at most once per cache (by the
  // read-ahead after all past-run files), so that the day loader's marks and the merge of the
  // day's lines share one read. Once the run has written the day's lines these copies are old:
  // the next run makes a new cache. nullptr when the ID is not ten digits.
  const RecordFile* PredictionFile(std::string_view horseId);

  // The id of an 18-byte name in a lane: kBlankName for blanks, kUnknownName when no file parsed
  // in that lane so far holds it (such a name matches nothing).
  int NameId(std::string_view name, int lane = 0) const;

  // Parses lines into an index using the lane's name table (files are read through Get).
  PastRunIndex Parse(const RecordFile& file, int lane = 0);

  const fs::path& programFolder() const { return programFolder_; }
  // The SEI folder, as looked up when the cache was made (PastRunFolder).
  const fs::path& pastRunFolder() const { return pastRunFolder_; }

 private:
  // An entry's states. Only the thread that moved one from kUnread to kReading writes what it
  // guards until it stores kRead (release); a reader sees it after loading kRead (acquire). A
  // thread that finds kReading sleeps on stateChanged_ (a condition variable: the standard
  // atomic wait of one of the supported compilers can miss its wake-up).
  enum : int { kUnread = 0, kReading = 1, kRead = 2 };
  struct Entry {
    std::atomic<int> state{kUnread};
    RecordFile file;
    // Per lane, written only by the lane's thread: parsed is set once index is what parsing gave
    // (null when there is no usable file).
    std::array<bool, kLanes> parsed{};
    std::array<std::unique_ptr<PastRunIndex>, kLanes> index;
    std::atomic<int> predictionState{kUnread};  // guards predictions the same way
    RecordFile predictions;
  };
  // Horse IDs are looked up by their bytes, without making a string.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // The run's names: id n is the n-th name added. An open-addressed table whose slots hold the
  // name's bytes themselves (names are 18 bytes; up to 24 fit a slot): a lookup hashes the bytes
  // in place, makes no string and touches one slot per probe (a run looks up every field entry of
  // every file it reads). Longer names are compared with their copy in bytes_.
  class NameTable {
   public:
    int Find(std::string_view name) const;  // -1 when absent
    int Add(std::string_view name);         // the name's id, added when absent
   private:
    static constexpr size_t kInline = 24;
    struct Key {
      std::uint64_t words[3] = {0, 0, 0};  // the first kInline bytes, zero-padded
      std::uint32_t size = 0;
      bool operator==(const Key&) const = default;
    };
    struct SlotEntry {
      Key key;
      int id = -1;  // -1: empty
    };
    static Key KeyOf(std::string_view name);
    static std::uint64_t Hash(const Key& k);
    size_t Slot(const Key& key, std::string_view name, std::uint64_t hash) const;
    std::string_view Name(int id) const {
      return std::string_view(bytes_).substr(starts_[static_cast<size_t>(id)],
                                             starts_[static_cast<size_t>(id) + 1] - starts_[static_cast<size_t>(id)]);
    }
    std::string bytes_;
    std::vector<size_t> starts_{0};  // name n is bytes_[starts_[n], starts_[n + 1])
    std::vector<SlotEntry> slots_;   // size a power of two
  };
  Entry& Read(std::string_view horseId);
  // Reads the file of an entry this thread has moved to kReading, then marks it kRead.
  void Fill(Entry& entry, std::string_view horseId);
  void FillPredictions(Entry& entry, std::string_view horseId);
  Entry& EntryOf(std::string_view horseId);
  void ReadAll();  // the read-ahead thread's work
  static bool TryClaim(std::atomic<int>& state);  // kUnread -> kReading by this thread
  void Publish(std::atomic<int>& state);          // kRead, and every waiter woken
  void WaitUntilRead(std::atomic<int>& state);
  void StopReadAhead();

  fs::path programFolder_;
  fs::path pastRunFolder_;  // looked up once: the files must not move during the run
  std::unordered_map<std::string, Entry, IdHash, std::equal_to<>> files_;  // by horse ID
  std::array<NameTable, kLanes> names_;  // per lane
  // The two files a lane asked for last: a comparison asks for the same two horses again and
  // again (a pair, then the first horse with the next one), so most asks skip the map.
  struct Recent {
    std::array<char, kak::kHorseIdLen> id{};
    Entry* entry = nullptr;
  };
  std::array<std::array<Recent, 2>, kLanes> recent_{};
  struct Ahead {
    Entry* entry;
    std::string_view id;  // the key of its node in files_
    bool predictions;     // its prediction file read too
  };
  std::vector<Ahead> ahead_;  // the read-ahead's horses in the caller's order; fixed once the thread runs
  std::atomic<bool> stop_{false};
  std::mutex stateMutex_;
  std::condition_variable stateChanged_;
  std::thread reader_;
};

}  // namespace kv
